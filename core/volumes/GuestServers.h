#pragma once

#include <QString>

#include <optional>

// The servers on which the user chose to connect as a guest, so that the next mount of a
// share there asks nothing. They are kept, in lower case, in a small JSON file that
// outlives the process; writers take turns under a lock and replace the file atomically,
// as the preferences store does. A file that cannot be read counts as empty, and one that
// cannot be written only costs the question next time.
class GuestServers {
public:
    explicit GuestServers(QString file);

    // $XDG_STATE_HOME/kestrova/guest-servers.json, or under ~/.local/state.
    static QString defaultFile();

    bool contains(const QString& server) const;
    void remember(const QString& server);
    // Every server asks again at its next mount; the reason when that cannot be kept.
    std::optional<QString> forgetAll();

private:
    QString m_file;
};
