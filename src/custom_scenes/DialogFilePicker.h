#pragma once

#include "custom_scenes/CustomScenesService.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

namespace DialogFilePickerDetail {
class Question;
}

// Lets a QML file dialog serve as the file picker of CustomScenesService. The picker asks for the
// dialog with openRequested(); the view opens its dialog and answers with accept(file) or
// reject(). Every question is answered, so a pick can never hang: with no view listening it
// gets none at once, and a question still open when a new one is asked (its dialog went away
// unanswered) gets none then. A view that goes away with its dialog open calls reject().
class DialogFilePicker : public QObject
{
    Q_OBJECT
public:
    explicit DialogFilePicker(QObject *parent = nullptr);
    ~DialogFilePicker() override;

    // The function to hand to CustomScenesService. It must not outlive this object.
    CustomScenesService::FilePicker picker();

    // True while a question waits for its answer.
    bool isWaiting() const { return !m_open.isNull(); }

    Q_INVOKABLE void accept(const QUrl &file);
    Q_INVOKABLE void reject();

Q_SIGNALS:
    void openRequested();

private:
    QCoro::Task<std::optional<QUrl>> ask();
    void answer(const QUrl &file);

    QPointer<DialogFilePickerDetail::Question> m_open;
};
