#!/usr/bin/env bash
# Makes the Word files the document text tests read, with real writers: transcript.docx with
# python3-docx and transcript.doc by LibreOffice from that .docx. Also refreshes the fuzz seeds.
# Run it again only to change the fixtures; the tests compare against text written into them.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../../../.." && pwd)
bash "$root/scripts/install-deps" "$root/deps/fixtures.txt"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Debian's python3-docx is only visible to Debian's own interpreter.
/usr/bin/python3 - "$work/transcript.docx" <<'PY'
import sys
from docx import Document
from docx.oxml import OxmlElement
from docx.oxml.ns import qn

def field(paragraph, instruction, result):
    def mark(kind):
        element = OxmlElement('w:fldChar')
        element.set(qn('w:fldCharType'), kind)
        paragraph.add_run()._r.append(element)
    mark('begin')
    code = OxmlElement('w:instrText')
    code.set(qn('xml:space'), 'preserve')
    code.text = instruction
    paragraph.add_run()._r.append(code)
    mark('separate')
    paragraph.add_run(result)
    mark('end')

document = Document()
for line in ['1', '00:00:01,000 --> 00:00:02,000', 'Hello', '',
             '2', '00:00:02,500 --> 00:00:04,000', 'Grüße — ça va ✓', 'Speaker\tLine']:
    document.add_paragraph(line)
table = document.add_table(rows=2, cols=2)
for row, cells in enumerate([('A1', 'B1'), ('A2', 'B2')]):
    for column, text in enumerate(cells):
        table.cell(row, column).text = text
page = document.add_paragraph('Page ')
field(page, ' PAGE ', '1')
document.add_paragraph('End')
document.save(sys.argv[1])
PY

# LibreOffice keeps its profile in a folder of its own so that it never touches the user's.
soffice --headless "-env:UserInstallation=file://$work/profile" \
  --convert-to doc:"MS Word 97" --outdir "$work" "$work/transcript.docx" >/dev/null

cp "$work/transcript.docx" "$work/transcript.doc" "$here/"

# Seeds: the fixtures, and the .docx's main parts again as stored (uncompressed) entries so that
# mutations reach the XML directly.
docx_seeds="$root/fuzz/corpus/fuzz_docx_text"
doc_seeds="$root/fuzz/corpus/fuzz_doc_text"
mkdir -p "$docx_seeds" "$doc_seeds"
cp "$here/transcript.docx" "$docx_seeds/transcript.docx"
cp "$here/transcript.doc" "$doc_seeds/transcript.doc"
/usr/bin/python3 - "$here/transcript.docx" "$docx_seeds/transcript-stored.docx" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as source, \
     zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_STORED) as target:
    for name in ('[Content_Types].xml', '_rels/.rels', 'word/document.xml'):
        target.writestr(name, source.read(name))
PY
echo "make-fixtures: wrote $here/transcript.docx and transcript.doc"
