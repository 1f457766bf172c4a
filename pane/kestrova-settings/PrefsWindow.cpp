#include "PrefsWindow.h"

#include "KestrovaPrefsPref.h"
#include "platform/SystemLog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

// "first paint" once the window has drawn its table for the first time, for the
// start-up benchmark (QT_LOGGING_RULES="kestrova.settings.startup.info=true").
Q_LOGGING_CATEGORY(settingsStartup, "kestrova.settings.startup", QtWarningMsg)

namespace {

// Wide enough for the share column to show a typical \\server\share\folder.
constexpr int kPreferredWidth = 640;

}

PrefsWindow::PrefsWindow(KestrovaPrefsPref& pane)
    : m_pane(pane)
{
    setWindowTitle(QStringLiteral("Kestrova Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pane.mainView());
    // The size with every section shown; the pane shrinks it when it hides one.
    QSize size = sizeHint().expandedTo(QSize(kPreferredWidth, 0));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);
    m_pane.mainViewDidLoad();
    m_pane.outlets().mappingTable->viewport()->installEventFilter(this);
    m_firstPaintReport.setSingleShot(true);
    m_firstPaintReport.setInterval(0);
    connect(&m_firstPaintReport, &QTimer::timeout, this,
        [] { qCInfo(settingsStartup) << "first paint"; });
}

void PrefsWindow::present()
{
    if (!m_selected) {
        m_pane.didSelect();
        m_selected = true;
    }
    show();
    raise();
    activateWindow();
}

bool PrefsWindow::leavePane()
{
    if (!m_selected)
        return true;
    const SynchronizeResult stored = m_pane.didUnselect();
    if (!stored.succeeded())
        return false;
    m_selected = false;
    return true;
}

void PrefsWindow::saveForSessionEnd()
{
    if (leavePane()) {
        m_pane.didSelect();
        m_selected = true;
    }
}

void PrefsWindow::endProgram()
{
    if (!leavePane())
        SystemLog::write(QStringLiteral("Kestrova Settings ends with its changes unsaved"));
    // Every event loop ends, also those of dialogs that are open.
    QCoreApplication::exit(0);
}

void PrefsWindow::closeEvent(QCloseEvent* event)
{
    const SynchronizeResult stored = m_selected ? m_pane.didUnselect() : SynchronizeResult {};
    if (stored.succeeded() || mayCloseUnsaved(*stored.failure)) {
        m_selected = false;
        event->accept();
        return;
    }
    event->ignore();
}

bool PrefsWindow::mayCloseUnsaved(const QString& reason)
{
    QMessageBox question(QMessageBox::Warning, QStringLiteral("Settings Not Saved"),
        QStringLiteral("Your changes could not be saved: %1").arg(reason), QMessageBox::NoButton,
        this);
    question.setTextFormat(Qt::PlainText);
    QPushButton* keep =
        question.addButton(QStringLiteral("Keep Window Open"), QMessageBox::RejectRole);
    QPushButton* close =
        question.addButton(QStringLiteral("Close Without Saving"), QMessageBox::DestructiveRole);
    question.setDefaultButton(keep);
    question.exec();
    return question.clickedButton() == close;
}

bool PrefsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_painted && event->type() == QEvent::Paint) {
        m_painted = true;
        // After the painting that is under way has reached the screen.
        m_firstPaintReport.start();
    }
    return QWidget::eventFilter(watched, event);
}
