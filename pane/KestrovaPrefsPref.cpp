#include "KestrovaPrefsPref.h"

#include "DriveMapTableModel.h"
#include "DropAlerts.h"
#include "DropFieldDelegate.h"
#include "FileManagerActionsBox.h"
#include "KTCustomDropFieldEditor.h"
#include "PasswordSheet.h"
#include "ShortcutOpenPanel.h"
#include "platform/SystemLog.h"
#include "workspace/Workspace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLayout>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

namespace {

// A stored mount method that is none of the four is shown, cut to this length, where
// the pop-up shows its choice, and left stored until the user chooses one.
constexpr qsizetype kShownMethodLength = 40;

bool isOn(const QCheckBox* box)
{
    return box->checkState() != Qt::Unchecked;
}

QString showDetailsTitle()
{
    return QStringLiteral("Show &Details");
}

QString hideDetailsTitle()
{
    return QStringLiteral("Hide &Details");
}

}

KestrovaPrefsPref::KestrovaPrefsPref(KTPreferences& preferences, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_mainView(new QWidget)
    , m_outlets(PrefsInterface::load(m_mainView))
    , m_passwordChange(std::make_unique<SmbPasswordChange>())
{
    m_driveArrayController = new DriveMapTableModel(this);
    m_cellDelegate = new DropFieldDelegate(
        [this](QObject* field) { return windowWillReturnFieldEditor(field); }, this);
    m_outlets.mappingTable->setItemDelegate(m_cellDelegate);
    connectActions();
    setPasswordProgram(QString::fromLatin1(SmbPasswordChange::kProgram));
}

KestrovaPrefsPref::~KestrovaPrefsPref()
{
    // Still the pane's when no host took it.
    delete m_mainView.data();
}

void KestrovaPrefsPref::setFileManagerActionsFolder(const std::optional<QString>& folder)
{
    m_outlets.fileManagerActionsBox->setActions(folder
            ? std::optional(FileManagerActions(FileManagerActions::Folders::fromEnvironment(),
                *folder, QDBusConnection::sessionBus()))
            : std::nullopt);
}

void KestrovaPrefsPref::connectActions()
{
    const PrefsOutlets& o = m_outlets;
    connect(o.mountMethodPopUp, &QComboBox::activated, this,
        [this] { changeMountMethod(m_outlets.mountMethodPopUp); });
    const std::pair<QCheckBox*, void (KestrovaPrefsPref::*)(QCheckBox*)> boxes[] = {
        {o.createAliasButton, &KestrovaPrefsPref::changeCreateAlias},
        {o.useBackslashButton, &KestrovaPrefsPref::changeUseBackslash},
        {o.enableMappingButton, &KestrovaPrefsPref::changeEnableMapping},
        {o.enableUseQuotationMarkButton, &KestrovaPrefsPref::changeUseQuotationMarks},
        {o.dfsInstalledButton, &KestrovaPrefsPref::changeDfsInstalled},
    };
    // clicked() comes from the user alone, never from the loading step setting a state.
    for (const auto& [box, action] : boxes)
        connect(box, &QCheckBox::clicked, this,
            [this, box = box, action = action] { (this->*action)(box); });
    connect(o.showDetailButton, &QPushButton::clicked, this, &KestrovaPrefsPref::toggleDetail);
    connect(o.helpButton, &QPushButton::clicked, this, &KestrovaPrefsPref::displayHelp);
    connect(o.addMappingButton, &QPushButton::clicked, this, &KestrovaPrefsPref::addMapping);
    connect(o.removeMappingButton, &QPushButton::clicked, this, &KestrovaPrefsPref::removeMappings);
    for (QPushButton* browse : {o.browseMapFromButton, o.browseMapToButton})
        connect(browse, &QPushButton::clicked, this, [this, browse] { browseFile(browse); });
    connect(o.passwordButton, &QPushButton::clicked, this, &KestrovaPrefsPref::openPasswordSheet);
}

void KestrovaPrefsPref::connectTable()
{
    QTableView* table = m_outlets.mappingTable;
    table->setModel(m_driveArrayController);
    table->horizontalHeader()->resizeSection(DriveMapTableModel::MapFromColumn,
        table->fontMetrics().horizontalAdvance(QStringLiteral("Drive letter")) * 2);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &KestrovaPrefsPref::updateTableButtons);
    connect(m_driveArrayController, &QAbstractItemModel::modelReset, this,
        &KestrovaPrefsPref::updateTableButtons);
    updateTableButtons();
}

void KestrovaPrefsPref::mainViewDidLoad()
{
    const PrefsOutlets& o = m_outlets;
    o.createAliasButton->setChecked(createAlias());
    o.useBackslashButton->setChecked(useBackslash());
    const QString method = mountMethod();
    o.mountMethodPopUp->setCurrentIndex(o.mountMethodPopUp->findText(method, Qt::MatchExactly));
    o.mountMethodPopUp->setPlaceholderText(method.left(kShownMethodLength));
    o.enableMappingButton->setChecked(mappingEnabled());
    o.enableUseQuotationMarkButton->setChecked(useQuotationMarks());
    o.dfsInstalledButton->setChecked(dfsInstalled());
    if (showDetails()) {
        o.showDetailButton->setText(hideDetailsTitle());
    } else {
        o.expertSettingsBox->hide();
        settleLayouts();
        resizePreferencePane(0, -detailSectionHeight());
        o.showDetailButton->setText(showDetailsTitle());
    }
    // The table asks for its rows, which loads the list.
    driveMapArray();
    connectTable();
}

SynchronizeResult KestrovaPrefsPref::didUnselect()
{
    commitEditedCell();
    const DriveMappingChanges& list = driveMapArray();
    if (list.hasChanges()
        || m_preferences.domain().source(KTDRIVEMAP) == PreferencesDomain::Source::None)
        m_preferences.changeDriveMapping(list);
    SynchronizeResult result = m_preferences.synchronizeChanges();
    // What is stored now is what later changes are changes of.
    if (result.succeeded())
        m_driveArrayController->setList(m_preferences.driveMappingChanges());
    return result;
}

void KestrovaPrefsPref::commitEditedCell()
{
    // A cell being edited holds text the table has not yet been given.
    QWidget* focus = m_mainView->window()->focusWidget();
    if (focus && m_outlets.mappingTable->viewport()->isAncestorOf(focus))
        Q_EMIT m_cellDelegate->commitData(focus);
}

void KestrovaPrefsPref::setMappingEnabled(bool mappingEnabled)
{
    m_preferences.setMappingEnabled(mappingEnabled);
    Q_EMIT mappingEnabledChanged(mappingEnabled);
}

void KestrovaPrefsPref::setShowDetails(bool showDetails)
{
    m_preferences.setShowDetails(showDetails);
    Q_EMIT showDetailsChanged(showDetails);
}

void KestrovaPrefsPref::setUseQuotationMarks(bool useQuotationMarks)
{
    m_preferences.setUseQuotationMarks(useQuotationMarks);
    Q_EMIT useQuotationMarksChanged(useQuotationMarks);
}

void KestrovaPrefsPref::setDfsInstalled(bool dfsInstalled)
{
    m_preferences.setDfsInstalled(dfsInstalled);
    Q_EMIT dfsInstalledChanged(dfsInstalled);
}

const DriveMappingChanges& KestrovaPrefsPref::driveMapArray()
{
    if (!m_driveMapLoaded) {
        m_driveArrayController->setList(m_preferences.driveMappingChanges());
        m_driveMapLoaded = true;
    }
    return m_driveArrayController->list();
}

void KestrovaPrefsPref::setDriveMapArray(DriveMappingChanges driveMapArray)
{
    m_driveArrayController->setList(std::move(driveMapArray));
    m_driveMapLoaded = true;
}

bool KestrovaPrefsPref::insertObject(KTDriveMapping mapping, qint32 inDriveMapArrayAtIndex)
{
    driveMapArray();
    return m_driveArrayController->insertMapping(inDriveMapArrayAtIndex, std::move(mapping));
}

bool KestrovaPrefsPref::removeObjectFromDriveMapArrayAtIndex(qint32 index)
{
    driveMapArray();
    return m_driveArrayController->removeMapping(index);
}

void KestrovaPrefsPref::changeMountMethod(QComboBox* sender)
{
    if (sender->currentIndex() >= 0)
        m_preferences.setMountMethod(sender->currentText());
}

void KestrovaPrefsPref::changeCreateAlias(QCheckBox* sender)
{
    m_preferences.setCreateAlias(isOn(sender));
}

void KestrovaPrefsPref::changeUseBackslash(QCheckBox* sender)
{
    m_preferences.setUseBackwardSlash(isOn(sender));
}

void KestrovaPrefsPref::changeEnableMapping(QCheckBox* sender)
{
    setMappingEnabled(isOn(sender));
}

void KestrovaPrefsPref::changeUseQuotationMarks(QCheckBox* sender)
{
    setUseQuotationMarks(isOn(sender));
}

void KestrovaPrefsPref::changeDfsInstalled(QCheckBox* sender)
{
    m_preferences.setDfsInstalled(isOn(sender));
}

void KestrovaPrefsPref::toggleDetail()
{
    setShowDetails(!showDetails());
    setDetailsShown(showDetails());
}

void KestrovaPrefsPref::setDetailsShown(bool shown)
{
    QGroupBox* box = m_outlets.expertSettingsBox;
    if (!shown) {
        box->hide();
        settleLayouts();
        resizePreferencePane(0, -detailSectionHeight());
        m_outlets.showDetailButton->setText(showDetailsTitle());
        return;
    }
    // Grown first, so that the rest of the pane keeps its size when the box comes in.
    resizePreferencePane(0, detailSectionHeight());
    box->show();
    settleLayouts();
    m_outlets.showDetailButton->setText(hideDetailsTitle());
}

int KestrovaPrefsPref::detailSectionHeight() const
{
    // The box's height and the spacing that separates it from its neighbour.
    return m_outlets.expertSettingsBox->sizeHint().height() + m_mainView->layout()->spacing();
}

void KestrovaPrefsPref::settleLayouts()
{
    // Layouts update in the event loop; a window cannot shrink past the minimum size of
    // its old layout until they have.
    m_mainView->layout()->activate();
    if (QLayout* windowLayout = m_mainView->window()->layout())
        windowLayout->activate();
}

void KestrovaPrefsPref::resizePreferencePane(int widthDelta, int heightDelta)
{
    QWidget* window = m_mainView->window();
    // A window's position is its top-left corner: resizing keeps the top edge where it
    // is and moves the bottom one.
    window->resize(window->width() + widthDelta, window->height() + heightDelta);
    window->update();
}

void KestrovaPrefsPref::displayHelp()
{
    if (!m_helpDocumentPath) {
        SystemLog::write(QStringLiteral("The help document is not installed"));
        return;
    }
    Workspace& workspace = Workspace::shared();
    const std::optional<DesktopApplication> browser =
        workspace.applicationForFile(*m_helpDocumentPath);
    if (!browser) {
        SystemLog::write(QStringLiteral("No application opens %1").arg(*m_helpDocumentPath));
        return;
    }
    const LaunchResult launched = workspace.openFile(*m_helpDocumentPath, *browser);
    if (!launched)
        SystemLog::write(
            QStringLiteral("The help could not be opened: %1").arg(launched.errorMessage));
}

void KestrovaPrefsPref::updateTableButtons()
{
    const bool selected = firstSelectedRow().has_value();
    m_outlets.removeMappingButton->setEnabled(selected);
    m_outlets.browseMapFromButton->setEnabled(selected);
    m_outlets.browseMapToButton->setEnabled(selected);
}

std::optional<qsizetype> KestrovaPrefsPref::firstSelectedRow() const
{
    const QItemSelectionModel* selection = m_outlets.mappingTable->selectionModel();
    if (!selection)
        return std::nullopt;
    const QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return std::min_element(rows.begin(), rows.end(),
        [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); })
        ->row();
}

void KestrovaPrefsPref::addMapping()
{
    const qint32 row = qint32(driveMapArray().count());
    if (!insertObject(KTDriveMapping(), row))
        return;
    QTableView* table = m_outlets.mappingTable;
    const QModelIndex cell = m_driveArrayController->index(row, DriveMapTableModel::MapFromColumn);
    table->selectRow(row);
    table->setCurrentIndex(cell);
    table->edit(cell);
}

void KestrovaPrefsPref::removeMappings()
{
    QList<int> rows;
    const QModelIndexList selected = m_outlets.mappingTable->selectionModel()->selectedRows();
    for (const QModelIndex& index : selected)
        rows.append(index.row());
    // Last first, so that the rows still to go keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        removeObjectFromDriveMapArrayAtIndex(row);
}

ShortcutOpenPanel* KestrovaPrefsPref::openPanel() const
{
    return m_openPanel;
}

void KestrovaPrefsPref::browseFile(QAbstractButton* sender)
{
    if (m_openPanel)
        return;
    auto* panel = new ShortcutOpenPanel(sender->window());
    m_openPanel = panel;
    connect(panel, &QDialog::finished, this,
        [this, panel, context = QPointer<QObject>(sender)](int returnCode) {
            const QString path = panel->chosenPath();
            panel->deleteLater();
            openPanelDidEnd(returnCode, path, context);
        });
    panel->open();
}

void KestrovaPrefsPref::openPanelDidEnd(int returnCode, const QString& path, QObject* contextInfo)
{
    if (returnCode != QDialog::Accepted || !contextInfo)
        return;
    bool hasTag = false;
    const int tag = contextInfo->property(PrefsInterface::tagProperty).toInt(&hasTag);
    const std::optional<qsizetype> row = firstSelectedRow();
    if (!hasTag || (tag != 0 && tag != 1) || !row)
        return;
    // A shortcut that cannot be read is reported, and the mapping stays as it was.
    const std::optional<QString> text = DropAlerts::translatedPath(m_mainView, path);
    if (!text)
        return;
    KTDriveMapping mapping = driveMapArray().at(*row);
    if (tag == 0)
        mapping.setMapFrom(*text);
    else
        mapping.setMapTo(*text);
    m_driveArrayController->setMapping(*row, std::move(mapping));
}

KTCustomDropFieldEditor* KestrovaPrefsPref::windowWillReturnFieldEditor(QObject* object) const
{
    const auto* field = qobject_cast<const QLineEdit*>(object);
    if (!field || field->echoMode() != QLineEdit::Normal)
        return nullptr;
    return &KTCustomDropFieldEditor::defaultKTCustomDropFieldEditor();
}
