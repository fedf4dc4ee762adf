#include "custom_scenes/DialogFilePicker.h"

#include <QCoroSignal>
#include <QMetaMethod>
#include <memory>

namespace DialogFilePickerDetail {
// One question to the dialog. Its own object, so that an answer (delivered on a later turn of
// the event loop) can only ever reach the question it was given to.
class Question : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void answered(const QUrl &file);
};
} // namespace DialogFilePickerDetail

using DialogFilePickerDetail::Question;

DialogFilePicker::DialogFilePicker(QObject *parent) : QObject(parent) {}

DialogFilePicker::~DialogFilePicker()
{
    answer(QUrl());
}

CustomScenesService::FilePicker DialogFilePicker::picker()
{
    return [this] { return ask(); };
}

QCoro::Task<std::optional<QUrl>> DialogFilePicker::ask()
{
    // No view to show a dialog (the settings window is closed): no answer would ever come.
    if (!isSignalConnected(QMetaMethod::fromSignal(&DialogFilePicker::openRequested)))
        co_return std::nullopt;
    answer(QUrl());
    const auto question = std::make_shared<Question>();
    m_open = question.get();
    // Listening before the request goes out, so that an answer given at once is not missed.
    auto answered = qCoro(question.get(), &Question::answered);
    Q_EMIT openRequested();
    const QUrl file = co_await std::move(answered);
    if (file.isEmpty())
        co_return std::nullopt;
    co_return file;
}

void DialogFilePicker::answer(const QUrl &file)
{
    if (!m_open)
        return;
    Question *question = m_open;
    m_open = nullptr;
    Q_EMIT question->answered(file);
}

void DialogFilePicker::accept(const QUrl &file)
{
    answer(file);
}

void DialogFilePicker::reject()
{
    answer(QUrl());
}

#include "DialogFilePicker.moc"
