#pragma once

#include "custom_scenes/CustomScenesService.h"

#include <QObject>
#include <QUrl>

// Lets a QML file dialog serve as the file picker of CustomScenesService. The picker asks for the
// dialog with openRequested(); the view opens its dialog and answers with accept(file) or
// reject(). One question at a time: a pick asked for while another waits gives none at once.
class DialogFilePicker : public QObject
{
    Q_OBJECT
public:
    explicit DialogFilePicker(QObject *parent = nullptr);

    // The function to hand to CustomScenesService. It must not outlive this object.
    CustomScenesService::FilePicker picker();

    Q_INVOKABLE void accept(const QUrl &file);
    Q_INVOKABLE void reject();

Q_SIGNALS:
    void openRequested();
    // An empty file for a dismissed dialog.
    void answered(const QUrl &file);

private:
    QCoro::Task<std::optional<QUrl>> ask();

    bool m_waiting = false;
};
