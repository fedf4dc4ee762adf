#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

class ViewServices;

// What the settings window shows and keeps while it is open: the texts that depend on the
// build or on a service, the cache budget menu, the custom scenes' add row and which scene's
// file could not be played. Built by the window's view, so it starts afresh at every opening;
// opening writes nothing.
class SettingsView : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(
        ViewServices *services READ services WRITE setServices NOTIFY servicesChanged REQUIRED)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(QString lowBatteryHint READ lowBatteryHint NOTIFY servicesChanged)
    Q_PROPERTY(QString hotKeysHint READ hotKeysHint NOTIFY hotKeysHintChanged)
    Q_PROPERTY(QStringList budgetLabels READ budgetLabels CONSTANT)
    // -1 when the stored budget is none of the menu's choices.
    Q_PROPERTY(int budgetIndex READ budgetIndex NOTIFY budgetChanged)
    Q_PROPERTY(QString budgetLabel READ budgetLabel NOTIFY budgetChanged)
    Q_PROPERTY(bool addRowShown READ addRowShown NOTIFY addRowShownChanged)
    Q_PROPERTY(QString newName READ newName WRITE setNewName NOTIFY newNameChanged)
    // True while the file dialog is asked for and not yet answered.
    Q_PROPERTY(bool picking READ picking NOTIFY pickingChanged)
    Q_PROPERTY(QStringList unplayableSceneIds READ unplayableSceneIds NOTIFY unplayableChanged)
    Q_PROPERTY(QString unplayableText READ unplayableText CONSTANT)
    // The catalogue's address as the field shows it, whether it is the built-in one, and what
    // to say under it: why a typed address was refused, why the catalogue could not be
    // loaded, or that this run uses another address; empty when all is well.
    Q_PROPERTY(QString catalogueAddress READ catalogueAddress NOTIFY catalogueChanged)
    Q_PROPERTY(
        bool catalogueAddressIsDefault READ catalogueAddressIsDefault NOTIFY catalogueChanged)
    Q_PROPERTY(QString catalogueStatus READ catalogueStatus NOTIFY catalogueChanged)

public:
    struct BudgetChoice
    {
        int megabytes;
    };
    static const QList<BudgetChoice> &budgetChoices();
    // A budget as the settings window shows it, in the user's locale.
    static QString budgetText(int megabytes);
    // "Version 1.2.0" from the build, "Version 1.0" when the build names none.
    static QString versionText(const char *buildVersion);

    explicit SettingsView(QObject *parent = nullptr);

    ViewServices *services() const { return m_services; }
    void setServices(ViewServices *services);

    QString versionText() const;
    QString lowBatteryHint() const;
    // The combinations, or that the desktop offers none.
    QString hotKeysHint() const;
    static QStringList budgetLabels();
    int budgetIndex() const;
    QString budgetLabel() const;
    bool addRowShown() const { return m_addRowShown; }
    const QString &newName() const { return m_newName; }
    void setNewName(const QString &name);
    bool picking() const { return m_picking; }
    QStringList unplayableSceneIds() const;
    static QString unplayableText();
    QString catalogueAddress() const;
    bool catalogueAddressIsDefault() const;
    QString catalogueStatus() const;

    // Stores the chosen budget; the cache service applies and enforces it at once. Choosing
    // the budget already stored changes nothing.
    Q_INVOKABLE void chooseBudget(int index);
    Q_INVOKABLE void toggleAddRow();
    // Asks for a file and adds the scene under the typed name. Once added, the name and the
    // add row are cleared; a cancelled or failed pick leaves both for another try.
    Q_INVOKABLE void pickFile();
    // Plays the custom scene, or marks its row when its file is gone or cannot be read.
    Q_INVOKABLE void playScene(const QString &sceneId);
    // Stores a typed web address (the app then fetches from it); anything else is refused
    // with a reason and stores nothing. An empty text is the built-in address.
    Q_INVOKABLE void setCatalogueAddress(const QString &text);
    Q_INVOKABLE void resetCatalogueAddress();
    // The scene's date as the list shows it: "Mar 4, 2025".
    Q_INVOKABLE QString dateText(const QDateTime &moment) const;

Q_SIGNALS:
    void servicesChanged();
    void hotKeysHintChanged();
    void budgetChanged();
    void addRowShownChanged();
    void newNameChanged();
    void pickingChanged();
    void unplayableChanged();
    void catalogueChanged();

private:
    void setAddRowShown(bool shown);
    void setPicking(bool picking);

    QPointer<ViewServices> m_services;
    bool m_addRowShown = false;
    QString m_newName;
    bool m_picking = false;
    QSet<QString> m_unplayable;
    QString m_addressRefusal;
};
