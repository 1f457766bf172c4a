#include "PaneTest.h"

#include "platform/LocalFileUri.h"
#include "support/SessionBus.h"
#include "tools/PrivateDesktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QString settingsFile(const QTemporaryDir& folder)
{
    return folder.filePath(u"config/kestrova/com.dovrane.Kestrova.json"_s);
}

// Once a program: a desktop where shortcuts open with Kestrova (on PATH, for its TryExec).
class PaneDesktop : public testing::Environment {
public:
    const PrivateDesktop& desktop() const { return m_desktop; }
    void SetUp() override
    {
        ASSERT_TRUE(m_desktop.isValid());
        const QDir data(m_data.path());
        const QString source = QStringLiteral(KESTROVA_SOURCE_DIR "/data/");
        const std::pair<const char*, const char*> copies[] = {
            {"com.dovrane.Kestrova.desktop", "applications/com.dovrane.Kestrova.desktop"},
            {"mime/com.dovrane.Kestrova.xml", "mime/packages/com.dovrane.Kestrova.xml"}};
        for (const auto& [from, to] : copies) {
            const QString target = data.filePath(QString::fromUtf8(to));
            ASSERT_TRUE(data.mkpath(QFileInfo(target).path()));
            ASSERT_TRUE(QFile::copy(source + QString::fromUtf8(from), target));
        }
        writeFile(data.filePath(u"applications/mimeapps.list"_s),
            QByteArray("[Default Applications]\ntext/html=") + PrivateDesktop::kViewerId + '\n');
        for (const char* update :
            {"update-mime-database mime", "update-desktop-database applications"}) {
            const QStringList words = QString::fromUtf8(update).split(u' ');
            ASSERT_EQ(QProcess::execute(words[0], {data.filePath(words[1])}), 0) << update;
        }
        m_desktop.prependDataDir(m_data.path());
        m_desktop.apply();
        qputenv("PATH", QByteArray(KESTROVA_PROGRAM_DIR ":") + qgetenv("PATH"));
    }

private:
    QTemporaryDir m_data;
    PrivateDesktop m_desktop;
};

auto* const desktop = static_cast<PaneDesktop*>(testing::AddGlobalTestEnvironment(new PaneDesktop));

}

const PrivateDesktop& paneDesktop()
{
    return desktop->desktop();
}

void PaneTest::SetUp()
{
    ASSERT_TRUE(SessionBus::isPrivate()) << "run under tests/harness/with-session-bus";
    ASSERT_TRUE(m_folder.isValid());
}

QProcessEnvironment PaneTest::programEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, m_folder.filePath(u"config"_s));
    environment.insert(u"XDG_STATE_HOME"_s, m_folder.filePath(u"state"_s));
    return environment;
}

void PaneTest::openWindow()
{
    m_domain.emplace(PreferencesPaths {settingsFile(m_folder), {}});
    m_notifier =
        std::make_unique<PreferencesNotifier>(SessionBus::connect(), u"com.dovrane.Kestrova"_s);
    m_preferences.emplace(*m_domain, m_notifier.get());
    m_pane = std::make_unique<KestrovaPrefsPref>(*m_preferences);
    m_window = std::make_unique<PrefsWindow>(*m_pane);
    m_window->present();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
}

void PaneTest::writeSettings(const QByteArray& json) const
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsFile(m_folder)).path()));
    writeFile(settingsFile(m_folder), json);
}

QByteArray PaneTest::storedBytes() const
{
    return readFile(settingsFile(m_folder));
}

DialogAnswer::DialogAnswer(QString button)
    : m_button(std::move(button))
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        for (QAbstractButton* candidate :
            box && box->isVisible() ? box->buttons() : QList<QAbstractButton*>()) {
            if (::title(candidate) != m_button)
                continue;
            m_timer.stop();
            title = box->windowTitle();
            text = box->text();
            answered = true;
            candidate->click();
            return;
        }
    });
    m_timer.start(20);
}

bool DialogAnswer::wait(int milliseconds)
{
    return QTest::qWaitFor([this] { return answered; }, milliseconds);
}

static bool drop(QWidget* target, const QMimeData& data)
{
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent* event : std::initializer_list<QDropEvent*> {&enter, &move, &dropped}) {
        QApplication::sendEvent(target, event);
        if (!event->isAccepted())
            return false;
    }
    return true;
}

bool dropFiles(QWidget* target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl(LocalFileUri::fromPath(path)));
    data.setUrls(urls);
    return drop(target, data);
}

bool dropText(QWidget* target, const QString& text)
{
    QMimeData data;
    data.setText(text);
    return drop(target, data);
}

QString title(const QAbstractButton* button)
{
    return QString(button->text()).remove(u'&');
}

Ticker::Ticker(int milliseconds)
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { ++ticks; });
    m_timer.start(milliseconds);
}
