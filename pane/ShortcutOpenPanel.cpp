#include "ShortcutOpenPanel.h"

#include <QFileInfo>

ShortcutOpenPanel::ShortcutOpenPanel(QWidget* parent)
    : QFileDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Directory"));
    setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    // Qt's own dialog: a platform's native one cannot be told to choose either kind.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, false);
    setNameFilter(QStringLiteral("Windows shortcuts (*.lnk)"));
    setWindowModality(Qt::WindowModal);
}

void ShortcutOpenPanel::accept()
{
    const QStringList selected = selectedFiles();
    if (selected.size() != 1) {
        QFileDialog::accept();
        return;
    }
    // Set first: confirming emits finished(), whose receivers read it.
    m_chosenPath = selected.first();
    if (QFileInfo(m_chosenPath).isFile()) {
        done(QDialog::Accepted);
        return;
    }
    // A folder is chosen; anything else is refused as a folder dialog refuses it.
    QFileDialog::accept();
}
