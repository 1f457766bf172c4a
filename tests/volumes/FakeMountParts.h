#pragma once

#include "support/QtPrinters.h"
#include "volumes/CredentialPrompt.h"
#include "volumes/MountTableSource.h"
#include "volumes/ServerMount.h"
#include "volumes/StatusDisplay.h"

#include <QStringList>

#include <functional>
#include <thread>

// A mount table a test sets up and changes at will.
class FakeMountTable final : public MountTableSource {
public:
    void setVolumes(QList<MountEntry> volumes) { setTable(MountTable(std::move(volumes))); }
    void setTable(MountTable table) { m_table = std::make_shared<const MountTable>(table); }
    std::shared_ptr<const MountTable> current() override { return m_table; }
    void awaitVolumeAt(const QString& mountPoint) override { awaited << mountPoint; }
    QStringList awaited;

private:
    std::shared_ptr<const MountTable> m_table = std::make_shared<const MountTable>();
};

// Answers as told and keeps the URLs; duringMount runs while the mounter waits.
class FakeServerMount final : public ServerMount {
public:
    ServerMountResult mountServerVolume(const QString& url) override
    {
        urls << url;
        if (duringMount)
            duringMount();
        return result;
    }
    ServerMountResult result;
    std::function<void()> duringMount;
    QStringList urls;
};

// The status window as a list of the calls made to it.
class RecordingStatusDisplay final : public StatusDisplay {
public:
    void setTitle(const QString& title) override { calls << QStringLiteral("setTitle ") + title; }
    void showWithProgressEnabled(bool progress) override
    {
        calls << QStringLiteral("show %1").arg(QLatin1String(progress ? "true" : "false"));
        shown = true;
        progressRunning = progressRunning || progress;
    }
    void hideNow() override
    {
        calls << QStringLiteral("hideNow");
        shown = progressRunning = false;
    }
    bool isShown() const override { return shown; }
    bool isProgressRunning() const override { return progressRunning; }
    QStringList calls;
    bool shown = false;
    bool progressRunning = false;
};

// Gives the same answer to every question (none: cancel; unset: a guest login), after the
// delay a user takes to type it.
struct ScriptedPrompt final : CredentialPrompt {
    explicit ScriptedPrompt(std::optional<Credentials> given = Credentials {true, {}, {}, {}})
        : answer(std::move(given))
    {
    }
    std::optional<Credentials> askPassword(const CredentialRequest& request) override
    {
        requests << request;
        std::this_thread::sleep_for(delay);
        return answer;
    }
    std::optional<Credentials> answer;
    std::chrono::milliseconds delay {0};
    QList<CredentialRequest> requests;
};
