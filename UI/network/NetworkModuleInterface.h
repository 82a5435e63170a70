#pragma once

#include <QByteArray>
#include <QUrl>
#include <optional>

// What the main program asks of the network. It lives in a module of its own, loaded the first time
// the update check needs it: linking Qt Network pulls in the proxy and Kerberos libraries, and
// every program start paid for loading them although most runs never go online.
// Both sides are built from one tree with one Qt, so the interface is plain C++; only the entry
// point is C, so that it can be looked up by name.
class NetworkModuleInterface
{
public:
    // Raised whenever a method is added, removed or changes meaning.
    static constexpr int kVersion = 1;

    // One GET of the address; 1 when any answer came back within the time, else 0. Blocks the
    // calling thread; safe on any thread, whether or not it runs an event loop.
    virtual int probe(const QUrl &address, int timeoutMs) const = 0;
    // The body of the document at the address: only a 2xx answer (or a non-HTTP one) counts, a
    // redirect leads to the web only and never from https down to http, and the fetch gives up
    // past maxBytes or after timeoutMs. Blocks the calling thread; safe on any thread.
    virtual std::optional<QByteArray> fetch(const QUrl &url, qint64 maxBytes, int maxRedirects,
                                            int timeoutMs) const = 0;

protected:
    ~NetworkModuleInterface() = default;
};

// The module's one exported symbol: the interface when the caller expects this version, else null.
#define NULLWELL_NETWORK_MODULE_ENTRY "nullwell_network_module"
extern "C" {
using NetworkModuleEntry = const NetworkModuleInterface *(*)(int expectedVersion);
}
