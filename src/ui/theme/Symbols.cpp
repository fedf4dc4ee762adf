#include "ui/theme/Symbols.h"

#include <array>
#include <utility>

namespace {
struct Symbol
{
    const char16_t *name;
    char16_t codePoint; // Material Icons; the glyph's own name follows in the comment
};

constexpr std::array<Symbol, 42> table{{
    // transport and scenes
    {u"play.fill", 0xe037},              // play_arrow
    {u"pause.fill", 0xe034},             // pause
    {u"shuffle", 0xe043},                // shuffle
    {u"heart", 0xe87e},                  // favorite_border
    {u"heart.fill", 0xe87d},             // favorite
    {u"chevron.right", 0xe5cc},          // chevron_right
    {u"arrow.up.right", 0xf1e1},         // north_east
    {u"rectangle.grid.2x2", 0xe9b0},     // grid_view
    {u"xmark", 0xe5cd},                  // close
    {u"music.note", 0xe405},             // music_note
    {u"arrow.down.circle", 0xf181},      // arrow_circle_down
    {u"arrow.down.circle.fill", 0xf000}, // download_for_offline
    {u"icloud.and.arrow.down", 0xe2c0},  // cloud_download
    // sound
    {u"speaker.fill", 0xe04e},        // volume_mute
    {u"speaker.wave.2", 0xe04d},      // volume_down
    {u"speaker.wave.2.fill", 0xe04d}, // volume_down
    {u"speaker.wave.3.fill", 0xe050}, // volume_up
    {u"slider.vertical.3", 0xe429},   // tune
    {u"pause.circle.fill", 0xe035},   // pause_circle_filled
    // ambient layers
    {u"cloud.rain.fill", 0xf1ad},     // umbrella
    {u"flame.fill", 0xef55},          // local_fire_department
    {u"cup.and.saucer.fill", 0xe541}, // local_cafe
    {u"bird.fill", 0xe00b},           // flutter_dash
    {u"water.waves", 0xe176},         // waves
    // settings
    {u"gearshape", 0xe8b8},        // settings
    {u"gearshape.fill", 0xe8b8},   // settings
    {u"leaf.fill", 0xea35},        // eco
    {u"battery.25", 0xebe0},       // battery_2_bar
    {u"power", 0xe8ac},            // power_settings_new
    {u"macwindow", 0xe069},        // web_asset
    {u"sparkles", 0xe65f},         // auto_awesome
    {u"tortoise.fill", 0xe068},    // slow_motion_video
    {u"command", 0xeae7},          // keyboard_command_key
    {u"externaldrive", 0xe1db},    // storage
    {u"trash", 0xe872},            // delete
    {u"pencil", 0xe3c9},           // edit
    {u"plus.circle.fill", 0xe147}, // add_circle
    {u"chevron.up.chevron.down", 0xe5d7}, // unfold_more
    {u"moon.fill", 0xe51c},               // dark_mode
    {u"plus", 0xe145},                    // add
    {u"link", 0xe157},                    // link
    {u"timer", 0xe425},                   // timer
}};

constexpr char16_t fallback = 0xe04d; // volume_down, as "speaker.wave.2"
} // namespace

std::optional<char16_t> Symbols::codePoint(QStringView name)
{
    for (const Symbol &symbol : table) {
        if (name == QStringView(symbol.name))
            return symbol.codePoint;
    }
    return std::nullopt;
}

QString Symbols::glyph(QStringView name)
{
    return QString(QChar(codePoint(name).value_or(fallback)));
}

QStringList Symbols::names()
{
    QStringList result;
    for (const Symbol &symbol : table)
        result.append(QString::fromUtf16(symbol.name));
    return result;
}

SymbolTable::SymbolTable(QString fontFamily, QObject *parent)
    : QObject(parent), m_fontFamily(std::move(fontFamily))
{}
