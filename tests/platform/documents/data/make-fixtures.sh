#!/usr/bin/env bash
# Makes the Word files the document text tests read, with real writers: transcript.docx and
# transcript-tracked.docx (tracked insertions and deletions) with python3-docx, and the .doc of
# each by LibreOffice from that .docx. Also refreshes the fuzz seeds.
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

# Tracked changes, written as Word writes them: inserted runs inside w:ins, deleted ones inside
# w:del with their text in w:delText. A deleted timing line keeps its (empty) paragraph.
/usr/bin/python3 - "$work/transcript-tracked.docx" <<'PY'
import sys
from docx import Document
from docx.oxml import OxmlElement
from docx.oxml.ns import qn

revision = 0

def change(paragraph, kind, text):
    global revision
    revision += 1
    wrapper = OxmlElement('w:' + kind)
    wrapper.set(qn('w:id'), str(revision))
    wrapper.set(qn('w:author'), 'Editor')
    wrapper.set(qn('w:date'), '2024-01-02T03:04:05Z')
    run = OxmlElement('w:r')
    content = OxmlElement('w:delText' if kind == 'del' else 'w:t')
    content.set(qn('xml:space'), 'preserve')
    content.text = text
    run.append(content)
    wrapper.append(run)
    paragraph._p.append(wrapper)

document = Document()
lines = [
    ['1'], ['00:00:01,000 --> 00:00:02,000'],
    ['Hello ', ('del', 'cruel '), 'world', ('ins', '!')],
    [('del', '00:00:02,000 --> 00:00:03,000')],
    ['Still the first cue'], [],
    ['2'], ['00:00:03,500 --> 00:00:05,000'],
    [('ins', 'Added'), ' line ', ('del', 'dropped '), 'kept'],
    [('ins', 'A whole new line')],
]
for parts in lines:
    paragraph = document.add_paragraph()
    for part in parts:
        if isinstance(part, tuple):
            change(paragraph, *part)
        else:
            paragraph.add_run(part)
document.settings.element.append(OxmlElement('w:trackRevisions'))
document.save(sys.argv[1])
PY

# LibreOffice keeps its profile in a folder of its own so that it never touches the user's.
soffice --headless "-env:UserInstallation=file://$work/profile" \
  --convert-to doc:"MS Word 97" --outdir "$work" "$work/transcript.docx" \
  "$work/transcript-tracked.docx" >/dev/null

cp "$work"/transcript{,-tracked}.{docx,doc} "$here/"

# Seeds: the fixtures, and the .docx's main parts again as stored (uncompressed) entries so that
# mutations reach the XML directly.
docx_seeds="$root/fuzz/corpus/fuzz_docx_text"
doc_seeds="$root/fuzz/corpus/fuzz_doc_text"
mkdir -p "$docx_seeds" "$doc_seeds"
cp "$here/transcript.docx" "$docx_seeds/transcript.docx"
cp "$here/transcript.doc" "$doc_seeds/transcript.doc"
cp "$here/transcript-tracked.doc" "$doc_seeds/transcript-tracked.doc"
/usr/bin/python3 - "$here/transcript.docx" "$docx_seeds/transcript-stored.docx" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as source, \
     zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_STORED) as target:
    for name in ('[Content_Types].xml', '_rels/.rels', 'word/document.xml'):
        target.writestr(name, source.read(name))
PY
echo "make-fixtures: wrote transcript{,-tracked}.{docx,doc} in $here"
