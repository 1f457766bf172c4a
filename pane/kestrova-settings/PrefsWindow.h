#pragma once

#include <QTimer>
#include <QWidget>

class KestrovaPrefsPref;

// The window of kestrova-settings, and the host of the settings pane: it shows the
// pane's main view, calls mainViewDidLoad(), didSelect() and didUnselect() as a
// preferences host does, and leaves the pane whenever the program is asked to end, so
// that the mapping table is stored and the other programs are told: when the window is
// closed, when a termination signal arrives and when the session ends.
class PrefsWindow : public QWidget {
    Q_OBJECT

public:
    explicit PrefsWindow(KestrovaPrefsPref& pane);

    // Shows the window, or brings it to the front when it is shown already.
    void present();
    // didUnselect(), unless the pane was left already; false when the settings could
    // not be stored (the reason is logged).
    bool leavePane();
    // The session is ending: stores, and selects the pane again, since the session's
    // end may still be cancelled.
    void saveForSessionEnd();
    // A termination signal: stores and ends the program, whatever dialog is open.
    void endProgram();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mayCloseUnsaved(const QString& reason);

    KestrovaPrefsPref& m_pane;
    bool m_selected = false;
    bool m_painted = false;
    QTimer m_firstPaintReport;
};
