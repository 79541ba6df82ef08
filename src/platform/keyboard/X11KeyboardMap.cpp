#include "platform/keyboard/X11KeyboardMap.h"

#include "platform/keyboard/X11Connection.h"

#include <QString>

// Xlib after every Qt header: it defines Bool, Status, None, ... as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <algorithm>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

constexpr unsigned int kMapEvents = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;

// The group of a key that `group` selects, as the server works it out for a key with fewer
// groups; -1 for a key without any.
int effectiveGroup(int groups, unsigned char groupInfo, int group)
{
    if (groups == 0)
        return -1;
    if (group < groups)
        return group;
    switch (XkbOutOfRangeGroupAction(groupInfo)) {
    case XkbClampIntoRange:
        return groups - 1;
    case XkbRedirectIntoRange: {
        const int target = XkbOutOfRangeGroupNumber(groupInfo);
        return target < groups ? target : 0;
    }
    default:
        return group % groups;
    }
}

} // namespace

X11KeyboardMap::X11KeyboardMap(X11Connection &connection, std::size_t maxBindings)
    : m_connection(connection), m_maxBindings(maxBindings)
{
    Display *display = connection.display();
    if (!display)
        return;
    int opcode = 0, eventBase = 0, errorBase = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) {
        connection.close(u"the X server has no XKEYBOARD extension"_s);
        return;
    }
    m_xkbEventType = eventBase;
    // A client that uses XKB is told of a new keymap only through XKB events.
    XkbSelectEvents(display, XkbUseCoreKbd, kMapEvents, kMapEvents);
}

X11KeyboardMap::~X11KeyboardMap()
{
    restoreBindings();
}

bool X11KeyboardMap::update()
{
    Display *display = m_connection.display();
    if (!display)
        return false;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) == Success)
        m_group = state.group;
    // The reply came after every event sent before it, so a change made by then is seen now.
    readEvents();
    if (m_stale)
        read();
    return m_connection.display() && !m_stale;
}

bool X11KeyboardMap::read()
{
    Display *display = m_connection.display();
    XkbDescPtr xkb = display
                         ? XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask,
                                     XkbUseCoreKbd)
                         : nullptr;
    if (!xkb || !m_connection.display()) {
        if (xkb)
            XkbFreeKeyboard(xkb, 0, True);
        return false;
    }
    m_minKeycode = xkb->min_key_code;
    const int keyCount = xkb->max_key_code - xkb->min_key_code + 1;
    m_keys.assign(std::size_t(keyCount), Key{});
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
        Key &entry = m_keys[std::size_t(code - m_minKeycode)];
        entry.groups = static_cast<unsigned char>(std::min(XkbKeyNumGroups(xkb, code), 4));
        entry.groupInfo = XkbKeyGroupInfo(xkb, code);
        for (int group = 0; group < entry.groups; ++group)
            entry.levelOne[std::size_t(group)] = XkbKeySymEntry(xkb, code, 0, group);
        const KeySym *symbols = XkbKeySymsPtr(xkb, code);
        entry.spare = std::all_of(symbols, symbols + XkbKeyNumSyms(xkb, code),
                                  [](KeySym symbol) { return symbol == NoSymbol; }) &&
                      xkb->map->modmap[code] == 0;
    }
    XkbFreeKeyboard(xkb, 0, True);

    // A binding that a new keymap wiped is forgotten: its keycode is no longer ours to undo.
    std::erase_if(m_bindings, [this](const Bound &bound) {
        const Key *entry = key(bound.keycode);
        return !entry || entry->groups == 0 || entry->levelOne[0] != bound.keysym;
    });
    m_changedHere.clear();
    m_stale = false;
    return true;
}

void X11KeyboardMap::readEvents()
{
    m_connection.discardEvents([this](const XEvent &event) { noteEvent(event); });
}

void X11KeyboardMap::noteEvent(const XEvent &event)
{
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingKeyboard)
            noteChangedKeys(event.xmapping.first_keycode, event.xmapping.count);
        else if (event.xmapping.request == MappingModifier)
            m_stale = true;
        return;
    }
    if (event.type != m_xkbEventType)
        return;
    const auto &xkbEvent = reinterpret_cast<const XkbEvent &>(event);
    if (xkbEvent.any.xkb_type == XkbNewKeyboardNotify) {
        m_stale = true;
    } else if (xkbEvent.any.xkb_type == XkbMapNotify) {
        const XkbMapNotifyEvent &map = xkbEvent.map;
        if (map.changed & (XkbKeyTypesMask | XkbVirtualModsMask))
            m_stale = true;
        noteChangedKeys(map.first_key_sym, map.num_key_syms);
        noteChangedKeys(map.first_key_act, map.num_key_acts);
        noteChangedKeys(map.first_key_behavior, map.num_key_behaviors);
        noteChangedKeys(map.first_key_explicit, map.num_key_explicit);
        noteChangedKeys(map.first_modmap_key, map.num_modmap_keys);
        noteChangedKeys(map.first_vmodmap_key, map.num_vmodmap_keys);
    }
}

// Keys that only this map changed since it was read are up to date in the copy; any other
// change means reading the map again.
void X11KeyboardMap::noteChangedKeys(int first, int count)
{
    for (int code = first; code < first + count && !m_stale; ++code) {
        if (std::ranges::find(m_changedHere, code) == m_changedHere.end())
            m_stale = true;
    }
}

void X11KeyboardMap::noteChangedHere(unsigned char keycode)
{
    if (std::ranges::find(m_changedHere, keycode) == m_changedHere.end())
        m_changedHere.push_back(keycode);
}

X11KeyboardMap::Key *X11KeyboardMap::key(unsigned char keycode)
{
    const int index = keycode - m_minKeycode;
    return index >= 0 && std::size_t(index) < m_keys.size() ? &m_keys[std::size_t(index)] : nullptr;
}

unsigned char X11KeyboardMap::keycodeFor(unsigned long keysym, Binding binding)
{
    if (keysym == NoSymbol || m_stale || !m_connection.display())
        return 0;
    const auto bound = std::ranges::find(m_bindings, keysym, &Bound::keysym);
    // The layout's own key first; a binding only for what the layout lacks in this group.
    for (std::size_t index = 0; index < m_keys.size(); ++index) {
        const Key &entry = m_keys[index];
        const int group = effectiveGroup(entry.groups, entry.groupInfo, m_group);
        const auto code = static_cast<unsigned char>(m_minKeycode + int(index));
        if (group >= 0 && entry.levelOne[std::size_t(group)] == keysym &&
            (bound == m_bindings.end() || bound->keycode != code))
            return code;
    }
    if (bound != m_bindings.end()) {
        bound->lastUse = ++m_uses;
        return bound->keycode;
    }
    return binding == Binding::Allowed ? bind(keysym) : 0;
}

unsigned char X11KeyboardMap::bind(unsigned long keysym)
{
    unsigned char code = 0;
    if (m_bindings.size() < m_maxBindings) {
        // From the top down, so that keycode 8 (reserved on evdev keyboards) comes last.
        for (std::size_t index = m_keys.size(); index-- > 0 && code == 0;) {
            if (m_keys[index].spare)
                code = static_cast<unsigned char>(m_minKeycode + int(index));
        }
    }
    Bound *reused = nullptr;
    if (code == 0) {
        if (m_bindings.empty())
            return 0;
        reused = &*std::ranges::min_element(m_bindings, {}, &Bound::lastUse);
        code = reused->keycode;
    }
    KeySym symbol = keysym;
    XChangeKeyboardMapping(m_connection.display(), code, 1, &symbol, 1);
    Key &entry = *key(code);
    entry = Key{};
    entry.levelOne[0] = keysym;
    entry.groups = 1;
    noteChangedHere(code);
    if (reused)
        *reused = {keysym, code, ++m_uses};
    else
        m_bindings.push_back({keysym, code, ++m_uses});
    return code;
}

void X11KeyboardMap::restoreBindings()
{
    if (m_bindings.empty())
        return;
    if (m_connection.display()) {
        readEvents();
        if (m_stale)
            read(); // forgets the bindings a new keymap wiped
    }
    if (Display *display = m_connection.display()) {
        for (const Bound &bound : m_bindings) {
            KeySym none = NoSymbol;
            XChangeKeyboardMapping(display, bound.keycode, 1, &none, 1);
            if (Key *entry = key(bound.keycode)) {
                *entry = Key{};
                entry->spare = true;
            }
            noteChangedHere(bound.keycode);
        }
        XFlush(display);
    }
    m_bindings.clear();
}

} // namespace hb
