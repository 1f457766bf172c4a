#pragma once

#include <QFileDialog>

// The open panel of the mapping table's browse buttons: titled "Select Directory", its
// button "Choose", it chooses a folder or a shortcut file (.lnk). Qt's own dialog has no
// mode for choosing either; this one chooses a selected file and otherwise behaves as a
// folder dialog.
class ShortcutOpenPanel : public QFileDialog {
    Q_OBJECT

public:
    explicit ShortcutOpenPanel(QWidget* parent);

    // What was chosen; meaningful once the panel was confirmed.
    const QString& chosenPath() const { return m_chosenPath; }

public Q_SLOTS:
    void accept() override;

private:
    QString m_chosenPath;
};
