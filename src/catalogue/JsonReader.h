#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <vector>

// A small strict JSON reader (RFC 8259, UTF-8) for the catalogue decoder. It exists because
// QJsonDocument turns every number into a double or a clamped integer: it folds
// -9223372036854775809 into range and reads 9007199254740993.5 as a whole number, so an
// integer field could not be checked exactly. Here numbers keep their literal text.
namespace JsonReader {

struct Value
{
    enum class Type : quint8 { Null, Bool, Number, String, Array, Object };

    Type type = Type::Null;
    bool boolean = false;
    QByteArrayView number; // the literal; points into the bytes given to parse()
    QString string;
    QStringList keys;         // an object's member names: keys[i] names items[i]
    std::vector<Value> items; // an array's elements or an object's member values

    // An object's member of this name; the last one when the name repeats.
    const Value *member(QLatin1StringView name) const;
};

// Parses a whole document. Throws AppError (Decoding) naming what is wrong and where (line and
// column). The result refers to `json` for its number literals: keep the bytes alive.
Value parse(QByteArrayView json);

enum class Integer { Exact, NotWhole, OutOfRange };
// Reads a number literal as a signed 64-bit integer, exactly. Whole numbers written with a
// fraction or an exponent count (1.0, 2.5e1); any non-zero fractional digit does not.
Integer toInteger(QByteArrayView literal, qint64 *value);

// "a string", "an object", … for messages.
QString typeName(Value::Type type);

} // namespace JsonReader
