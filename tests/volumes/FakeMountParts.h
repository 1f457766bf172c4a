#pragma once

#include "support/QtPrinters.h"
#include "volumes/KTCredentialPrompt.h"
#include "volumes/KTMountTableSource.h"
#include "volumes/KTServerMount.h"
#include "volumes/KTStatusDisplay.h"

#include <QStringList>

#include <functional>

// A mount table a test sets up and changes at will.
class FakeMountTable final : public KTMountTableSource {
public:
    void setVolumes(QList<KTMountEntry> volumes) { setTable(KTMountTable(std::move(volumes))); }
    void setTable(KTMountTable table) { m_table = std::make_shared<const KTMountTable>(table); }
    std::shared_ptr<const KTMountTable> current() override { return m_table; }
    void awaitVolumeAt(const QString& mountPoint) override { awaited << mountPoint; }
    QStringList awaited;

private:
    std::shared_ptr<const KTMountTable> m_table = std::make_shared<const KTMountTable>();
};

// Answers as told and keeps the URLs; duringMount runs while the mounter waits.
class FakeServerMount final : public KTServerMount {
public:
    KTServerMountResult mountServerVolume(const QString& url) override
    {
        urls << url;
        if (duringMount)
            duringMount();
        return result;
    }
    KTServerMountResult result;
    std::function<void()> duringMount;
    QStringList urls;
};

// The status window as a list of the calls made to it.
class RecordingStatusDisplay final : public KTStatusDisplay {
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

// Gives the same answer to every question (none: cancel; unset: a guest login).
struct ScriptedPrompt final : KTCredentialPrompt {
    explicit ScriptedPrompt(std::optional<KTCredentials> answer = KTCredentials {true, {}, {}, {}})
        : answer(std::move(answer))
    {
    }
    std::optional<KTCredentials> askPassword(const KTCredentialRequest& request) override
    {
        requests << request;
        return answer;
    }
    std::optional<KTCredentials> answer;
    QList<KTCredentialRequest> requests;
};
