#pragma once

class FileManagerActionsBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QTableView;
class QWidget;

// The controls of the settings pane, as its interface lays them out in its main view.
struct PrefsOutlets {
    QWidget* preferencesBox = nullptr; // the main group: mappings and copied paths
    QCheckBox* enableMappingButton = nullptr;
    QTableView* mappingTable = nullptr;
    QPushButton* addMappingButton = nullptr;
    QPushButton* removeMappingButton = nullptr;
    QPushButton* browseMapFromButton = nullptr; // tag 0: the drive letter
    QPushButton* browseMapToButton = nullptr; // tag 1: the share
    QCheckBox* useBackslashButton = nullptr;
    QCheckBox* enableUseQuotationMarkButton = nullptr;

    FileManagerActionsBox* fileManagerActionsBox = nullptr;

    QGroupBox* expertSettingsBox = nullptr; // the detail section
    QComboBox* mountMethodPopUp = nullptr;
    QCheckBox* createAliasButton = nullptr;
    QCheckBox* dfsInstalledButton = nullptr;

    QPushButton* showDetailButton = nullptr;
    QPushButton* passwordButton = nullptr;
    QPushButton* helpButton = nullptr;
};

// Lays out the pane's controls in its main view, top to bottom: the main group, the
// file-manager actions, the detail section, and the row of buttons below them. Further sections go
// into the main view's layout above the detail section.
namespace PrefsInterface {

// The property that holds a browse button's tag.
inline constexpr const char* tagProperty = "tag";

PrefsOutlets load(QWidget* mainView);

}
