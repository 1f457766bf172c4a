#include "DropAlerts.h"

#include <QMessageBox>
#include <QPushButton>

namespace DropAlerts {
namespace {

const QString questionTitle = QStringLiteral("Dragged Windows Shortcut");

QWidget* frontWindow(QWidget* widget)
{
    if (!widget)
        return nullptr;
    QWidget* window = widget->window();
    window->raise();
    window->activateWindow();
    return window;
}

}

ShortcutInsertion askForInsertion(QWidget* widget)
{
    QMessageBox question(QMessageBox::Question, questionTitle,
        QStringLiteral("You have dragged a Windows Shortcut into the field. Do you want to "
                       "insert the file location itself or the Destination of the Shortcut?"),
        QMessageBox::NoButton, frontWindow(widget));
    QPushButton* destination =
        question.addButton(QStringLiteral("Insert Shortcut Destination"), QMessageBox::AcceptRole);
    // Escape and closing the box mean the harmless answer: the file's own location.
    QPushButton* location =
        question.addButton(QStringLiteral("Insert File Location"), QMessageBox::RejectRole);
    question.setDefaultButton(destination);
    question.setEscapeButton(location);
    question.exec();
    return question.clickedButton() == destination ? ShortcutInsertion::Destination
                                                   : ShortcutInsertion::FileLocation;
}

void showTranslationFailure(QWidget* widget, const QString& reason)
{
    QMessageBox failure(
        QMessageBox::Warning, questionTitle, reason, QMessageBox::Ok, frontWindow(widget));
    failure.setTextFormat(Qt::PlainText);
    failure.exec();
}

std::optional<QString> translatedPath(QWidget* widget, const QString& path)
{
    Result<QString> text = HVWindowsShortcut::translateFilepath(
        path, [widget](const QString&) { return askForInsertion(widget); });
    if (!text) {
        showTranslationFailure(widget, text.reason());
        return std::nullopt;
    }
    return std::move(text).value();
}

}
