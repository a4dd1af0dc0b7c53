#include "link/login.h"

#include "link/reporter.h"

namespace zc {

void Tpasswordverify::Start(const LinkContext &link)
{
    loginPending = true;
    sendRequest(link, kCmdReadBlock, std::uint32_t(settingsPageAddress(1)), 0, nullptr, QStringLiteral("Read settings"),
                Requester::Login);
    if (link.reporter)
        link.reporter->setStatus(QStringLiteral("Password verifing"));
}

bool Tpasswordverify::Check(const QString &devicePasswordField, const QString &entered)
{
    devicePassword = devicePasswordField;
    enteredPassword = entered;
    loginPending = false;
    return devicePassword.size() == enteredPassword.size() &&
           QString::compare(devicePassword, enteredPassword, Qt::CaseInsensitive) == 0;
}

void Tsingalcmd::Send(const LinkContext &link)
{
    sendRequest(link, command, 0, 0, nullptr, QStringLiteral("Password verifying"), Requester::Single);
}

} // namespace zc
