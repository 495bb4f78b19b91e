#include "net/mod_wsk.h"

#include "platform/echo_service.h"
#include "platform/name_resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace qb::ModWsk {
namespace {

// Linux reports what came back for the request; these are the codes the Windows echo call gives for it.
int32_t StatusOf(const EchoOutcome& outcome)
{
    switch (outcome.kind) {
    case EchoOutcome::Kind::Reply:
        return kSuccess;
    case EchoOutcome::Kind::Timeout:
        return kRequestTimedOut;
    case EchoOutcome::Kind::LocalError:
    case EchoOutcome::Kind::NoSocket:
        return kGeneralFailure;
    case EchoOutcome::Kind::IcmpError:
        break;
    }
    switch (outcome.icmpType) {
    case 3: // destination unreachable
        switch (outcome.icmpCode) {
        case 0:  // net
        case 6:  // net unknown
        case 9:  // net administratively prohibited
        case 11: // net unreachable for the type of service
            return 11002;
        case 2:
            return 11004; // protocol
        case 3:
            return 11005; // port
        case 4:
            return 11009; // fragmentation needed: packet too big
        case 5:
            return 11012; // source route failed: bad route
        default:
            return 11003; // host, host unknown, host prohibited, filtered, …
        }
    case 4:
        return 11016; // source quench
    case 11:
        return outcome.icmpCode == 1 ? 11014 : 11013; // reassembly or transit time exceeded
    case 12:
        return 11015; // parameter problem
    default:
        return kGeneralFailure;
    }
}

} // namespace

bool StartSockets()
{
    return true;
}

void StopSockets() {}

std::optional<uint32_t> InetAddr(const QString& address)
{
    // inet_addr works on single-byte text: a NUL would cut the text short, a wider character cannot
    // be part of an address.
    if (address.contains(QChar(0)))
        return std::nullopt;
    for (const QChar c : address) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
    }
    in_addr parsed{};
    if (::inet_aton(address.toLatin1().constData(), &parsed) == 0 || parsed.s_addr == INADDR_NONE)
        return std::nullopt;
    return parsed.s_addr;
}

std::optional<IpAddress> InetPton6(const QString& address)
{
    const qsizetype percent = address.indexOf(u'%');
    const QString scopeText = percent < 0 ? QString() : address.mid(percent + 1);
    bool scoped = percent < 0;
    const uint scope = scoped ? 0 : scopeText.toUInt(&scoped);
    if (!scoped || address.contains(QChar(0)))
        return std::nullopt;
    in6_addr parsed{};
    if (::inet_pton(AF_INET6, address.left(percent).toLatin1().constData(), &parsed) != 1)
        return std::nullopt;
    IpAddress result = IpAddress::FromIPv6(&parsed, scope);
    // Only a link-local address has a scope; one written after another address is not that address.
    if (result.scopeId != scope)
        return std::nullopt;
    return result;
}

HostAnswer ResolveHostName(NameResolver& resolver, const QString& address)
{
    if (!StartSockets())
        return {address, false};
    std::optional<IpAddress> parsed = InetPton6(address);
    if (!parsed) {
        if (const std::optional<uint32_t> v4 = InetAddr(address))
            parsed = IpAddress::FromIPv4(*v4);
    }
    if (!parsed) {
        StopSockets();
        return {address, true};
    }
    const HostNameAnswer answer = resolver.HostName(*parsed);
    StopSockets();
    if (answer.kind != HostNameAnswer::Kind::Name)
        return {address, answer.kind == HostNameAnswer::Kind::NoName};
    return {QString::fromUtf8(answer.name.data(), static_cast<qsizetype>(answer.name.size())), true};
}

int32_t SendEcho(EchoService& echo, const QString& address, const QString& payload, EchoReply& reply)
{
    const std::optional<uint32_t> parsed = InetAddr(address);
    if (!parsed)
        return kBadAddress;
    const QByteArray bytes = payload.toLatin1();
    const EchoOutcome outcome =
        echo.Echo(*parsed, std::as_bytes(std::span(bytes.constData(), static_cast<size_t>(bytes.size()))),
                  std::chrono::milliseconds(kEchoTimeoutMs));
    const int32_t status = StatusOf(outcome);
    reply.Status = static_cast<uint32_t>(status);
    reply.Address = outcome.from;
    if (outcome.kind == EchoOutcome::Kind::Reply) {
        reply.RoundTripTime = outcome.roundTripMs;
        reply.Ttl = outcome.ttl;
        reply.Tos = outcome.tos;
        const size_t size = std::min(outcome.data.size(), reply.Data.size());
        std::memcpy(reply.Data.data(), outcome.data.data(), size);
        reply.DataSize = static_cast<uint16_t>(size);
    }
    return status;
}

QString EchoStatusText(int32_t code)
{
    switch (code) {
    case -1:
        return QStringLiteral("inet_addr: bad IP format");
    case 0:
        return QStringLiteral("ip success");
    case 500:
        return QStringLiteral("ping timeout");
    case 11050:
        return QStringLiteral("ip general failure");
    case 11255:
        return QStringLiteral("ip pending");
    default:
        break;
    }
    static const char* const kTexts[] = {"ip buf too_small",
                                         "ip dest net unreachable",
                                         "ip dest host unreachable",
                                         "ip dest prot unreachable",
                                         "ip dest port unreachable",
                                         "ip no resources",
                                         "ip bad option",
                                         "ip hw_error",
                                         "ip packet too_big",
                                         "ip req timed out",
                                         "ip bad req",
                                         "ip bad route",
                                         "ip ttl expired transit",
                                         "ip ttl expired reassem",
                                         "ip param_problem",
                                         "ip source quench",
                                         "ip option too_big",
                                         "ip bad destination",
                                         "ip addr deleted",
                                         "ip spec mtu change",
                                         "ip mtu_change",
                                         "ip unload",
                                         "ip addr added"};
    constexpr int32_t kFirst = 11001;
    constexpr int32_t kCount = static_cast<int32_t>(std::size(kTexts));
    if (code >= kFirst && code < kFirst + kCount)
        return QString::fromLatin1(kTexts[code - kFirst]);
    return QStringLiteral("unknown msg returned");
}

std::optional<QString> PingIP(EchoService& echo, const QString& address)
{
    if (!StartSockets())
        return std::nullopt;
    EchoReply reply;
    const int32_t status = SendEcho(echo, address, QStringLiteral("Echo This"), reply);
    const QString text = EchoStatusText(status);
    const QString result = text == QLatin1StringView("ip success")
                               ? "Success - Round Time : " + QString::number(reply.RoundTripTime) + " ms"
                               : text;
    StopSockets();
    return result;
}

} // namespace qb::ModWsk
