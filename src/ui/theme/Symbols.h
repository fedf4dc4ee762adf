#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

// The interface names its symbols as the platform of its design did ("play.fill",
// "speaker.wave.2"); here each name stands for a glyph of the Material Icons font that is
// compiled into the resources.
namespace Symbols {
// The glyph's code point, none when the table has no such name.
std::optional<char16_t> codePoint(QStringView name);
// The text that draws the symbol in the symbol font. A name the table does not know (an
// ambient layer's icon from the catalogue, say) draws the generic sound glyph.
QString glyph(QStringView name);
// Every name in the table.
QStringList names();
} // namespace Symbols

// The table as views see it: `symbols.glyph("heart.fill")` in `symbols.fontFamily`.
class SymbolTable : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    explicit SymbolTable(QString fontFamily, QObject *parent = nullptr);

    const QString &fontFamily() const { return m_fontFamily; }
    Q_INVOKABLE QString glyph(const QString &name) const { return Symbols::glyph(name); }

private:
    QString m_fontFamily;
};
