// The stand-in site over raw HTTP: whatever bytes reach its port, it answers
// or closes, never crashes or hangs, and its own record of requests stays sound.
#include "FuzzInput.h"
#include "StandInSite.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {
StandInSite* site = nullptr;
QString sessionCookie;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    site = new StandInSite;
    site->addAccount({QStringLiteral("kiwi_seller"), QStringLiteral("seller@example.co.nz"), QStringLiteral("demo-pass"),
                      QStringLiteral("1234567")});
    site->addBuyer(QStringLiteral("sean1"), QStringLiteral("3000001"));
    if (!site->start(0)) std::abort();
    sessionCookie = site->openSession(QStringLiteral("kiwi_seller"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    timeval limit{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(site->port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        // Most inputs are a request line and headers; the session cookie lets
        // the fuzzer reach the member pages without learning a login first.
        QByteArray request = fuzz::bytes(data, size);
        request.replace("$SESSION", (StandInSite::sessionCookieName() + u'=' + sessionCookie).toUtf8());
        (void)::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        char buffer[4096];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    }
    ::close(fd);
    if (site->requests().size() > 1000) site->clearRequests();
    return 0;
}
