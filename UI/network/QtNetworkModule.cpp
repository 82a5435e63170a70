#include "NetworkModuleInterface.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

namespace {

// Everything a call needs lives on the calling thread and its stack; the local loop serves the
// manager whether or not that thread runs an event loop of its own.
class QtNetworkModule final : public NetworkModuleInterface
{
public:
    int probe(const QUrl &address, int timeoutMs) const override
    {
        if (!address.isValid() || address.host().isEmpty())
            return 0;
        QEventLoop loop;
        QNetworkAccessManager manager;
        QNetworkRequest request(address);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        // A redirect is already an answer from the server; following it could reach other hosts.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setRawHeader("Cache-Control", "no-cache");
        QNetworkReply *reply = manager.get(request);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(reply, &QNetworkReply::readyRead, &loop, &QEventLoop::quit);
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        auto answered = [reply] {
            return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() || reply->bytesAvailable() > 0;
        };
        while (!answered() && !reply->isFinished() && timer.isActive())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        const int result = answered() ? 1 : 0;
        reply->abort();
        delete reply;
        return result;
    }

    std::optional<QByteArray> fetch(const QUrl &url, qint64 maxBytes, int maxRedirects, int timeoutMs) const override
    {
        QNetworkAccessManager manager;
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
        request.setMaximumRedirectsAllowed(maxRedirects);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setTransferTimeout(timeoutMs);
        QNetworkReply *reply = manager.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        auto secure = std::make_shared<bool>(url.scheme() == QLatin1String("https"));
        QObject::connect(reply, &QNetworkReply::redirected, &loop, [reply, secure](const QUrl &target) {
            const QString scheme = target.scheme().toLower();
            if (scheme == QLatin1String("https") || (scheme == QLatin1String("http") && !*secure)) {
                *secure = scheme == QLatin1String("https");
                Q_EMIT reply->redirectAllowed();
            } else {
                reply->abort();
            }
        });
        QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [reply, maxBytes](qint64 received, qint64) {
            if (received > maxBytes)
                reply->abort();
        });
        QTimer::singleShot(timeoutMs, &loop, [reply] { reply->abort(); });
        if (!reply->isFinished())
            loop.exec();
        std::optional<QByteArray> body;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && (status == 0 || (status >= 200 && status < 300)))
            body = reply->readAll();
        delete reply;
        return body;
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) const NetworkModuleInterface *nullwell_network_module(int expectedVersion)
{
    static const QtNetworkModule module;
    return expectedVersion == NetworkModuleInterface::kVersion ? &module : nullptr;
}
