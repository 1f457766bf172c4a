#include "volumes/TerminalCredentialPrompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Longer answers are cut here rather than read without end.
constexpr qsizetype maximumLineLength = 4096;

// Turns echo off for as long as it lives, where fd is a terminal.
class EchoOff {
public:
    explicit EchoOff(int terminal)
        : m_terminal(terminal)
    {
        if (::tcgetattr(m_terminal, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        m_changed = ::tcsetattr(m_terminal, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_changed)
            ::tcsetattr(m_terminal, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_terminal;
    termios m_saved {};
    bool m_changed = false;
};

// The first letter of the answer picks the choice; anything else keeps nothing.
PasswordSave saveChoiceOf(const QString& answer)
{
    const QString letter = answer.trimmed().left(1).toLower();
    if (letter == QLatin1String("l"))
        return PasswordSave::ForSession;
    if (letter == QLatin1String("f"))
        return PasswordSave::Permanently;
    return PasswordSave::Never;
}

QString withDefault(const QString& question, const QString& defaultAnswer)
{
    return defaultAnswer.isEmpty()
        ? question + QStringLiteral(": ")
        : question + QStringLiteral(" [") + defaultAnswer + QStringLiteral("]: ");
}

}

TerminalCredentialPrompt::TerminalCredentialPrompt(int terminal)
    : m_terminal(terminal)
{
}

TerminalCredentialPrompt::~TerminalCredentialPrompt()
{
    if (m_ownsTerminal)
        ::close(m_terminal);
}

std::unique_ptr<TerminalCredentialPrompt> TerminalCredentialPrompt::openControllingTerminal()
{
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return nullptr;
    auto prompt = std::make_unique<TerminalCredentialPrompt>(terminal);
    prompt->m_ownsTerminal = true;
    return prompt;
}

std::optional<Credentials> TerminalCredentialPrompt::askPassword(const CredentialRequest& request)
{
    write(request.message + QLatin1Char('\n'));
    Credentials credentials;
    if (request.anonymousAllowed) {
        const std::optional<QString> guest = askLine(QStringLiteral("Connect as guest? [y/N]: "));
        if (!guest)
            return std::nullopt;
        credentials.anonymous = guest->trimmed().startsWith(QLatin1Char('y'), Qt::CaseInsensitive);
        if (credentials.anonymous)
            return credentials;
    }
    credentials.user = request.defaultUser;
    credentials.domain = request.defaultDomain;
    if (request.needsUser) {
        const std::optional<QString> user =
            askLine(withDefault(QStringLiteral("User"), request.defaultUser));
        if (!user)
            return std::nullopt;
        if (!user->isEmpty())
            credentials.user = *user;
    }
    if (request.needsDomain) {
        const std::optional<QString> domain =
            askLine(withDefault(QStringLiteral("Domain"), request.defaultDomain));
        if (!domain)
            return std::nullopt;
        if (!domain->isEmpty())
            credentials.domain = *domain;
    }
    if (request.needsPassword) {
        const std::optional<QString> password = askLine(QStringLiteral("Password: "), false);
        write(QStringLiteral("\n"));
        if (!password)
            return std::nullopt;
        credentials.password = *password;
        if (request.savingSupported) {
            const std::optional<QString> save = askLine(
                QStringLiteral("Remember the password? [n]o, until [l]ogout, [f]orever [n]: "));
            if (!save)
                return std::nullopt;
            credentials.save = saveChoiceOf(*save);
        }
    }
    return credentials;
}

std::optional<QString> TerminalCredentialPrompt::askLine(const QString& question, bool echo)
{
    // Echo goes off before the question appears, so that no answer typed at once is shown.
    std::optional<EchoOff> quiet;
    if (!echo)
        quiet.emplace(m_terminal);
    write(question);
    const std::optional<QByteArray> line = readLine();
    if (!line)
        return std::nullopt;
    return QString::fromLocal8Bit(*line);
}

void TerminalCredentialPrompt::write(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(m_terminal, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        written += count;
    }
}

// One line without its end; none at the end of input before a line end.
std::optional<QByteArray> TerminalCredentialPrompt::readLine()
{
    QByteArray line;
    for (;;) {
        char byte = 0;
        const ssize_t count = ::read(m_terminal, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return std::nullopt;
        if (byte == '\n')
            break;
        if (line.size() < maximumLineLength)
            line.append(byte);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}
