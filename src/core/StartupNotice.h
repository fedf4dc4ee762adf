#pragma once

#include <QObject>
#include <QString>

// The one message the user sees about what had to be done with their files behind their back
// (a damaged store or settings file kept aside and started afresh, a settings file edited
// into something unreadable). Shown once: the view that showed it dismisses it.
class StartupNotice : public QObject
{
    Q_OBJECT
    // Empty when there is nothing to say.
    Q_PROPERTY(QString text READ text NOTIFY textChanged)

public:
    explicit StartupNotice(QString text, QObject *parent = nullptr)
        : QObject(parent), m_text(std::move(text))
    {}

    const QString &text() const { return m_text; }
    // Takes the place of a message not yet dismissed: the latest is the one that matters.
    void show(const QString &text)
    {
        if (text == m_text)
            return;
        m_text = text;
        Q_EMIT textChanged();
    }
    Q_INVOKABLE void dismiss()
    {
        if (m_text.isEmpty())
            return;
        m_text.clear();
        Q_EMIT textChanged();
    }

Q_SIGNALS:
    void textChanged();

private:
    QString m_text;
};
