#include "custom_scenes/DialogFilePicker.h"

#include <QCoroSignal>

DialogFilePicker::DialogFilePicker(QObject *parent) : QObject(parent) {}

CustomScenesService::FilePicker DialogFilePicker::picker()
{
    return [this] { return ask(); };
}

QCoro::Task<std::optional<QUrl>> DialogFilePicker::ask()
{
    if (m_waiting)
        co_return std::nullopt;
    m_waiting = true;
    // Listening before the request goes out, so that an answer given at once is not missed.
    auto answer = qCoro(this, &DialogFilePicker::answered);
    Q_EMIT openRequested();
    const QUrl file = co_await std::move(answer);
    m_waiting = false;
    if (file.isEmpty())
        co_return std::nullopt;
    co_return file;
}

void DialogFilePicker::accept(const QUrl &file)
{
    if (m_waiting)
        Q_EMIT answered(file);
}

void DialogFilePicker::reject()
{
    if (m_waiting)
        Q_EMIT answered(QUrl());
}
