#pragma once

#include "PrefsInterface.h"
#include "SmbPasswordChange.h"
#include "preferences/KTPreferences.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>

class KTCustomDropFieldEditor;
class DriveMapTableModel;
class DropFieldDelegate;
class PasswordSheet;
class ShortcutOpenPanel;
class QAbstractButton;
class QCheckBox;
class QComboBox;

// The settings pane: shows the shared settings as controls and writes each change to
// the store at once, unsynchronised; edits the ordered drive-mapping list in a table;
// shows or hides its detail section; opens the help document; fills a mapping from a
// chosen file; changes the SMB password through its sheet.
//
// Its host (the kestrova-settings window) puts mainView() in a window and calls
// mainViewDidLoad() once, didSelect() when it shows the pane and didUnselect() whenever
// it leaves it, which stores the mapping list and synchronises: only then do the
// other programs see what was changed here.
class KestrovaPrefsPref : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool createAlias READ createAlias)
    Q_PROPERTY(QString mountMethod READ mountMethod)
    Q_PROPERTY(bool useBackslash READ useBackslash)
    Q_PROPERTY(bool mappingEnabled READ mappingEnabled WRITE setMappingEnabled NOTIFY
            mappingEnabledChanged)
    Q_PROPERTY(bool showDetails READ showDetails WRITE setShowDetails NOTIFY showDetailsChanged)
    Q_PROPERTY(bool useQuotationMarks READ useQuotationMarks WRITE setUseQuotationMarks NOTIFY
            useQuotationMarksChanged)
    Q_PROPERTY(bool dfsInstalled READ dfsInstalled WRITE setDfsInstalled NOTIFY dfsInstalledChanged)

public:
    explicit KestrovaPrefsPref(KTPreferences& preferences, QObject* parent = nullptr);
    ~KestrovaPrefsPref() override;

    // The pane's top view, for the host to put in its window (which then owns it).
    QWidget* mainView() const { return m_mainView; }
    const PrefsOutlets& outlets() const { return m_outlets; }
    // The password sheet, made on first use as a child of the pane's window.
    PasswordSheet* passwordWindow();
    // The open panel while it runs, else null.
    ShortcutOpenPanel* openPanel() const;

    // ReadMe.html where the program is installed; none: the help has no document.
    void setHelpDocumentPath(std::optional<QString> path) { m_helpDocumentPath = std::move(path); }
    // Kestrova's share/kestrova/file-managers, whose actions the pane turns on for the
    // file managers found through the user's XDG folders; none: not installed.
    void setFileManagerActionsFolder(const std::optional<QString>& folder);
    // The password program; /usr/bin/smbpasswd unless a test says otherwise.
    void setPasswordProgram(const QString& program);

    void mainViewDidLoad();
    void didSelect() { }
    // Stores the mapping list and synchronises, which tells the other programs. The
    // list is stored only where it was changed, or when none is stored at all.
    SynchronizeResult didUnselect();

    bool createAlias() const { return m_preferences.createAlias(); }
    QString mountMethod() const { return m_preferences.mountMethod(); }
    bool useBackslash() const { return m_preferences.useBackwardSlash(); }
    bool mappingEnabled() const { return m_preferences.mappingEnabled(); }
    void setMappingEnabled(bool mappingEnabled);
    bool showDetails() const { return m_preferences.showDetails(); }
    void setShowDetails(bool showDetails);
    bool useQuotationMarks() const { return m_preferences.useQuotationMarks(); }
    void setUseQuotationMarks(bool useQuotationMarks);
    bool dfsInstalled() const { return m_preferences.dfsInstalled(); }
    void setDfsInstalled(bool dfsInstalled);

    // Loaded from the store when first asked for.
    const DriveMappingChanges& driveMapArray();
    void setDriveMapArray(DriveMappingChanges driveMapArray);
    // Indices outside the list are refused (false).
    bool insertObject(KTDriveMapping mapping, qint32 inDriveMapArrayAtIndex);
    bool removeObjectFromDriveMapArrayAtIndex(qint32 index);

    void changeMountMethod(QComboBox* sender);
    void changeCreateAlias(QCheckBox* sender);
    void changeUseBackslash(QCheckBox* sender);
    void changeEnableMapping(QCheckBox* sender);
    void changeUseQuotationMarks(QCheckBox* sender);
    void changeDfsInstalled(QCheckBox* sender);
    void toggleDetail();
    void displayHelp();
    void addMapping();
    void removeMappings();
    void browseFile(QAbstractButton* sender);
    // The open panel's end: 1 (QDialog::Accepted) when a path was chosen.
    void openPanelDidEnd(int returnCode, const QString& path, QObject* contextInfo);
    void openPasswordSheet();
    void changePassword();
    void cancelPasswordChange();

    // The drop editor for the fields that edit plain text, none for anything else
    // (password fields take no drops).
    KTCustomDropFieldEditor* windowWillReturnFieldEditor(QObject* object) const;
    // Grows or shrinks the pane's window at its bottom edge, keeping its top edge.
    void resizePreferencePane(int widthDelta, int heightDelta);

Q_SIGNALS:
    void mappingEnabledChanged(bool mappingEnabled);
    void showDetailsChanged(bool showDetails);
    void useQuotationMarksChanged(bool useQuotationMarks);
    void dfsInstalledChanged(bool dfsInstalled);

private:
    void connectActions();
    void connectTable();
    void updateTableButtons();
    std::optional<qsizetype> firstSelectedRow() const;
    void commitEditedCell();
    int detailSectionHeight() const;
    void settleLayouts();
    void setDetailsShown(bool shown);
    void passwordChangeFinished(const Result<void>& outcome);

    KTPreferences& m_preferences;
    QPointer<QWidget> m_mainView;
    PrefsOutlets m_outlets;
    DriveMapTableModel* m_driveArrayController = nullptr;
    DropFieldDelegate* m_cellDelegate = nullptr;
    bool m_driveMapLoaded = false;
    QPointer<PasswordSheet> m_passwordWindow;
    std::unique_ptr<SmbPasswordChange> m_passwordChange;
    // Whose password the running change changes, for the message of its outcome.
    QString m_changingUser;
    QString m_changingServer;
    QPointer<ShortcutOpenPanel> m_openPanel;
    std::optional<QString> m_helpDocumentPath;
};
