#pragma once

#include "KestrovaPrefsPref.h"
#include "kestrova-settings/PrefsWindow.h"
#include "preferences/PreferencesNotifier.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// The pane in its real window over a private preferences folder, bus and desktop.
class PaneTest : public testing::Test {
protected:
    void SetUp() override;
    // The pane and its window over what the folder holds now, shown and active.
    void openWindow();
    void writeSettings(const QByteArray& json) const;
    QByteArray storedBytes() const;
    QJsonObject storedSettings() const { return QJsonDocument::fromJson(storedBytes()).object(); }
    // For programs the test starts: the private bus, and the test's settings and state.
    QProcessEnvironment programEnvironment() const;
    QTemporaryDir m_folder;
    std::optional<PreferencesDomain> m_domain;
    std::unique_ptr<PreferencesNotifier> m_notifier;
    std::optional<KTPreferences> m_preferences;
    std::unique_ptr<KestrovaPrefsPref> m_pane;
    std::unique_ptr<PrefsWindow> m_window; // last: it goes first
};

class PrivateDesktop;
const PrivateDesktop& paneDesktop();

// Clicks the button of this title in the next message box, once it is up.
class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(QString button);
    // Turns the event loop until it has answered.
    bool wait(int milliseconds = 20000);
    QString title;
    QString text;
    bool answered = false;

private:
    QString m_button;
    QTimer m_timer;
};

// A file manager's drag and drop of files or text; true when the widget took it.
bool dropFiles(QWidget* target, const QStringList& paths);
bool dropText(QWidget* target, const QString& text);

// A button's title as shown, without its mnemonic marker.
QString title(const class QAbstractButton* button);
// Counts the event loop's turns while it lives: a window that stood still counts none.
class Ticker {
public:
    explicit Ticker(int milliseconds);
    int ticks = 0;

private:
    QTimer m_timer;
};
