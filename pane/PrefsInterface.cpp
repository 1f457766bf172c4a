#include "PrefsInterface.h"

#include "FileManagerActionsBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace PrefsInterface {
namespace {

// The table shows no fewer rows than this when the window is made small.
constexpr int kMinimumRows = 4;

QTableView* mappingTable()
{
    auto* table = new QTableView;
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed);
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    // Fixed row heights keep a table of thousands of mappings as quick as a short one.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    const int rowHeight = table->verticalHeader()->defaultSectionSize();
    const int frame = 2 * table->frameWidth() + table->horizontalHeader()->sizeHint().height();
    table->setMinimumHeight(frame + kMinimumRows * rowHeight);
    table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return table;
}

QPushButton* browseButton(const QString& title, int tag, const QString& toolTip)
{
    auto* button = new QPushButton(title);
    button->setProperty(tagProperty, tag);
    button->setToolTip(toolTip);
    return button;
}

QWidget* mainGroup(PrefsOutlets& outlets)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* mappings = new QGroupBox(QStringLiteral("Drive mappings"));
    auto* mappingLayout = new QVBoxLayout(mappings);
    outlets.enableMappingButton =
        new QCheckBox(QStringLiteral("&Use drive mappings for drive-letter paths (X:\\...)"));
    outlets.mappingTable = mappingTable();
    mappingLayout->addWidget(outlets.enableMappingButton);
    mappingLayout->addWidget(outlets.mappingTable, 1);

    auto* tableButtons = new QHBoxLayout;
    outlets.addMappingButton = new QPushButton(QStringLiteral("&Add"));
    outlets.addMappingButton->setToolTip(QStringLiteral("Add a mapping"));
    outlets.removeMappingButton = new QPushButton(QStringLiteral("&Remove"));
    outlets.removeMappingButton->setToolTip(QStringLiteral("Remove the selected mappings"));
    outlets.browseMapFromButton = browseButton(QStringLiteral("Choose Dri&ve\u2026"), 0,
        QStringLiteral("Set the selected mapping's drive letter to a folder or shortcut"));
    outlets.browseMapToButton = browseButton(QStringLiteral("Choose &Share\u2026"), 1,
        QStringLiteral("Set the selected mapping's share to a folder or shortcut"));
    tableButtons->addWidget(outlets.addMappingButton);
    tableButtons->addWidget(outlets.removeMappingButton);
    tableButtons->addStretch(1);
    tableButtons->addWidget(outlets.browseMapFromButton);
    tableButtons->addWidget(outlets.browseMapToButton);
    mappingLayout->addLayout(tableButtons);
    layout->addWidget(mappings, 1);

    auto* paths = new QGroupBox(QStringLiteral("Copied Windows paths"));
    auto* pathLayout = new QVBoxLayout(paths);
    outlets.useBackslashButton =
        new QCheckBox(QStringLiteral("Copy paths with &backslashes (\\\\server\\share)"));
    outlets.enableUseQuotationMarkButton =
        new QCheckBox(QStringLiteral("Put copied paths in &quotation marks"));
    pathLayout->addWidget(outlets.useBackslashButton);
    pathLayout->addWidget(outlets.enableUseQuotationMarkButton);
    layout->addWidget(paths);
    return box;
}

QGroupBox* detailSection(PrefsOutlets& outlets)
{
    auto* box = new QGroupBox(QStringLiteral("Details"));
    // Exactly as tall as it needs: showing and hiding it moves the window's bottom edge
    // by that much.
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QFormLayout(box);
    outlets.mountMethodPopUp = new QComboBox;
    outlets.mountMethodPopUp->addItems({QStringLiteral("smb"), QStringLiteral("afp"),
        QStringLiteral("nfs"), QStringLiteral("cifs")});
    layout->addRow(QStringLiteral("&Mount shares with:"), outlets.mountMethodPopUp);
    outlets.createAliasButton =
        new QCheckBox(QStringLiteral("Convert opened shortcuts into a&lias files"));
    outlets.dfsInstalledButton = new QCheckBox(
        QStringLiteral("The &network uses DFS referrals (wait for targets to appear)"));
    layout->addRow(outlets.createAliasButton);
    layout->addRow(outlets.dfsInstalledButton);
    return box;
}

QHBoxLayout* buttonRow(PrefsOutlets& outlets)
{
    auto* row = new QHBoxLayout;
    outlets.showDetailButton = new QPushButton(QStringLiteral("Hide Details"));
    outlets.passwordButton = new QPushButton(QStringLiteral("Change SMB &Password\u2026"));
    outlets.helpButton = new QPushButton(QStringLiteral("&Help"));
    row->addWidget(outlets.showDetailButton);
    row->addStretch(1);
    row->addWidget(outlets.passwordButton);
    row->addWidget(outlets.helpButton);
    return row;
}

}

PrefsOutlets load(QWidget* mainView)
{
    PrefsOutlets outlets;
    auto* layout = new QVBoxLayout(mainView);
    outlets.preferencesBox = mainGroup(outlets);
    layout->addWidget(outlets.preferencesBox, 1);
    outlets.fileManagerActionsBox = new FileManagerActionsBox;
    layout->addWidget(outlets.fileManagerActionsBox);
    outlets.expertSettingsBox = detailSection(outlets);
    layout->addWidget(outlets.expertSettingsBox);
    layout->addLayout(buttonRow(outlets));
    return outlets;
}

}
