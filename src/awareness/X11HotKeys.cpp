#include "awareness/X11HotKeys.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace {
constexpr quint32 keysymSpace = 0x0020;
constexpr quint32 keysymRight = 0xff53;
constexpr quint32 keysymUp = 0xff52;
constexpr quint32 keysymDown = 0xff54;
constexpr quint32 keysymNumLock = 0xff7f;
constexpr quint32 keysymSuperL = 0xffeb;
constexpr quint32 keysymSuperR = 0xffec;
constexpr quint32 keysymAltL = 0xffe9;
constexpr quint32 keysymAltR = 0xffea;
constexpr quint16 modifierBits = 0xff; // the state's bits above these are pointer buttons

quint32 keysymOf(HotKey::Key key)
{
    switch (key) {
    case HotKey::Key::Space:
        return keysymSpace;
    case HotKey::Key::Right:
        return keysymRight;
    case HotKey::Key::Up:
        return keysymUp;
    case HotKey::Key::Down:
        return keysymDown;
    }
    return 0;
}

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> XcbReply<T> own(T *reply)
{
    return XcbReply<T>(reply, &std::free);
}
} // namespace

X11HotKeys::X11HotKeys(const QByteArray &display, QObject *parent) : GlobalHotKeys(parent)
{
    int screenNumber = 0;
    m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    readModifiersAndKeys();

    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { processEvents(true); });
}

X11HotKeys::~X11HotKeys()
{
    if (!m_connection)
        return;
    releaseAll();
    xcb_disconnect(m_connection);
}

bool X11HotKeys::isConnected() const
{
    return m_connection != nullptr;
}

QList<quint32> X11HotKeys::registeredIds() const
{
    QList<quint32> ids;
    for (const Grab &grab : m_grabs)
        ids.append(grab.id);
    return ids;
}

void X11HotKeys::readModifiersAndKeys()
{
    m_keycodes.clear();
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto keyboard = own(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr));
    auto modifiers = own(xcb_get_modifier_mapping_reply(
        m_connection, xcb_get_modifier_mapping(m_connection), nullptr));

    QHash<quint8, QList<quint32>> symsOfKeycode;
    if (keyboard) {
        const int perKeycode = keyboard->keysyms_per_keycode;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
        const int total = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
        // Unshifted symbols win, so a key is found where a person would press it.
        for (int column = 0; column < perKeycode; ++column) {
            for (int row = 0; row < count && row * perKeycode + column < total; ++row) {
                const quint32 sym = syms[row * perKeycode + column];
                if (sym == 0)
                    continue;
                const quint8 keycode = quint8(setup->min_keycode + row);
                symsOfKeycode[keycode].append(sym);
                if (!m_keycodes.contains(sym))
                    m_keycodes.insert(sym, keycode);
            }
        }
    }

    // Which of Mod1…Mod5 carries Super, Alt and NumLock differs between keymaps; Mod4, Mod1
    // and Mod2 are where they usually are.
    quint16 super = 0, alt = 0, numLock = 0;
    if (modifiers) {
        const int perModifier = modifiers->keycodes_per_modifier;
        const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
        for (int modifier = 3; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const QList<quint32> syms =
                    symsOfKeycode.value(keycodes[modifier * perModifier + i]);
                const quint16 mask = quint16(1u << modifier);
                if (!super && (syms.contains(keysymSuperL) || syms.contains(keysymSuperR)))
                    super = mask;
                if (!alt && (syms.contains(keysymAltL) || syms.contains(keysymAltR)))
                    alt = mask;
                if (!numLock && syms.contains(keysymNumLock))
                    numLock = mask;
            }
        }
    }
    m_superAlt =
        quint16((super ? super : quint16(XCB_MOD_MASK_4)) | (alt ? alt : quint16(XCB_MOD_MASK_1)));
    m_numLock = numLock ? numLock : quint16(XCB_MOD_MASK_2);
}

void X11HotKeys::setHotKeys(const QList<HotKey> &hotKeys)
{
    m_wanted = hotKeys;
    if (!m_connection)
        return;
    releaseAll();
    for (const HotKey &hotKey : hotKeys) {
        Grab grab{};
        if (this->grab(hotKey, grab))
            m_grabs.append(grab);
    }
    // Replies read while checking the grabs may have brought events along.
    processEvents(false);
}

bool X11HotKeys::grab(const HotKey &hotKey, Grab &result)
{
    const quint8 keycode = m_keycodes.value(keysymOf(hotKey.key), 0);
    if (keycode == 0)
        return false;
    result = Grab{hotKey.id, keycode, m_superAlt};
    const quint16 locks[] = {0, XCB_MOD_MASK_LOCK, m_numLock,
                             quint16(m_numLock | XCB_MOD_MASK_LOCK)};
    xcb_void_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i) {
        cookies[i] = xcb_grab_key_checked(m_connection, 1, m_root, quint16(m_superAlt | locks[i]),
                                          keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool granted = true;
    for (const xcb_void_cookie_t &cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            granted = false; // BadAccess: another client holds it
            std::free(error);
        }
    }
    if (!granted)
        ungrab(result); // releases only our own variants; the other client keeps its grab
    return granted;
}

void X11HotKeys::ungrab(const Grab &grab)
{
    const quint16 locks[] = {0, XCB_MOD_MASK_LOCK, m_numLock,
                             quint16(m_numLock | XCB_MOD_MASK_LOCK)};
    for (quint16 lock : locks)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, quint16(grab.modifiers | lock));
}

void X11HotKeys::releaseAll()
{
    for (const Grab &grab : std::as_const(m_grabs))
        ungrab(grab);
    m_grabs.clear();
    xcb_flush(m_connection);
}

void X11HotKeys::processEvents(bool readSocket)
{
    if (!m_connection)
        return;
    while (xcb_generic_event_t *raw = readSocket ? xcb_poll_for_event(m_connection)
                                                 : xcb_poll_for_queued_event(m_connection)) {
        auto event = own(raw);
        const quint8 type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event.get());
            const quint16 state =
                quint16(press->state & modifierBits & ~(m_numLock | XCB_MOD_MASK_LOCK));
            for (const Grab &grab : std::as_const(m_grabs)) {
                if (grab.keycode == press->detail && grab.modifiers == state)
                    Q_EMIT pressed(grab.id);
            }
        } else if (type == XCB_MAPPING_NOTIFY) {
            // The keyboard layout changed: keys and modifiers may sit elsewhere now.
            const QList<quint32> before = registeredIds();
            releaseAll();
            readModifiersAndKeys();
            for (const HotKey &hotKey : std::as_const(m_wanted)) {
                Grab grab{};
                if (this->grab(hotKey, grab))
                    m_grabs.append(grab);
            }
            if (registeredIds() != before)
                Q_EMIT registrationsChanged();
        }
    }
    if (xcb_connection_has_error(m_connection) && m_notifier)
        m_notifier->setEnabled(false);
}
