// UrlConnection on QNetworkAccessManager. Redirects are never followed by Qt:
// each 3xx is offered to the delegate, and a new reply is made for the next
// hop. Stalls are timed on platform timers so that they follow the platform
// clock. Every delegate call may destroy the connection; each entry point
// holds the liveness flag and stops as soon as it drops.
#include "platform/Lifetime.h"
#include "platform/net/UrlConnection.h"
#include "NetworkAccess.h"
#include "platform/RunLoop.h"
#include <QCoreApplication>
#include <QEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<std::string> findHeader(const HeaderList& headers, std::string_view name)
{
    for (const auto& [k, v] : headers)
        if (equalsIgnoringCase(k, name))
            return v;
    return std::nullopt;
}

QPointer<QNetworkAccessManager>& sharedManager()
{
    static QPointer<QNetworkAccessManager> nam;
    return nam;
}

QNetworkAccessManager* manager()
{
    auto& nam = sharedManager();
    if (!nam && QCoreApplication::instance()) {
        // Parented to the application only as a last resort: the session
        // releases it earlier (see releaseNetworkAccess).
        nam = new QNetworkAccessManager(QCoreApplication::instance());
        nam->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return nam;
}

bool isFetchable(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Qt reports HTTP statuses 4xx/5xx as errors too; those are answers, not failures.
bool isHttpStatusError(QNetworkReply::NetworkError e)
{
    int code = int(e);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
}

Error errorFrom(QNetworkReply::NetworkError e, const QString& text)
{
    long code = URLErrorUnknown;
    switch (e) {
    case QNetworkReply::ConnectionRefusedError: code = URLErrorCannotConnectToHost; break;
    case QNetworkReply::RemoteHostClosedError: code = URLErrorNetworkConnectionLost; break;
    case QNetworkReply::HostNotFoundError: code = URLErrorCannotFindHost; break;
    case QNetworkReply::TimeoutError: code = URLErrorTimedOut; break;
    case QNetworkReply::OperationCanceledError: code = URLErrorCancelled; break;
    case QNetworkReply::SslHandshakeFailedError: code = URLErrorSecureConnectionFailed; break;
    case QNetworkReply::ProtocolUnknownError: code = URLErrorUnsupportedURL; break;
    default: break;
    }
    return Error(kURLErrorDomain, code, text.toStdString());
}

}

void UrlRequest::setHeader(const std::string& name, const std::string& value)
{
    for (auto& [k, v] : headers)
        if (equalsIgnoringCase(k, name)) {
            v = value;
            return;
        }
    headers.emplace_back(name, value);
}

std::optional<std::string> UrlRequest::header(std::string_view name) const
{
    return findHeader(headers, name);
}

std::optional<std::string> UrlResponse::header(std::string_view name) const
{
    return findHeader(headers, name);
}

struct UrlConnection::Impl {
    UrlConnection* owner = nullptr; // not owned: the connection owns this
    UrlConnectionDelegate* delegate = nullptr; // not owned
    UrlRequest request;
    QPointer<QNetworkReply> reply;
    QPointer<QObject> context;
    std::unique_ptr<Timer> stallTimer;
    Lifetime lifetime;
    int redirects = 0;
    long long received = 0;
    bool responseDelivered = false;
    bool running = false;

    ~Impl()
    {
        lifetime.end();
        detachReply();
        disarmStall();
    }

    void disarmStall()
    {
        if (!stallTimer)
            return;
        stallTimer->invalidate();
        // The timer may be the one calling us: destroy it on a later turn.
        RunLoop::main().post([t = std::shared_ptr<Timer>(std::move(stallTimer))] { });
    }

    void armStall()
    {
        disarmStall();
        if (request.stallTimeoutSeconds <= 0)
            return;
        stallTimer = Timer::singleShot(request.stallTimeoutSeconds, [this, alive = lifetime.watch()](Timer&) {
            if (alive && running)
                fail(Error(kURLErrorDomain, URLErrorTimedOut, "The request timed out."));
        });
    }

    void detachReply()
    {
        if (reply) {
            QObject::disconnect(reply, nullptr, context, nullptr);
            // A reply that already carries an error (an HTTP status Qt counts
            // as one) is ending anyway; aborting it again only upsets Qt.
            if (!reply->isFinished() && reply->error() == QNetworkReply::NoError)
                reply->abort();
            reply->deleteLater();
        }
        reply = nullptr;
        if (context)
            context->deleteLater();
        context = nullptr;
    }

    void stop()
    {
        running = false;
        detachReply();
        disarmStall();
    }

    void fail(const Error& error)
    {
        stop();
        if (delegate)
            delegate->didFailWithError(*owner, error);
    }

    // Asks the delegate about the first request, then sends it.
    void begin()
    {
        const auto alive = lifetime.watch();
        std::optional<UrlRequest> next = request;
        if (delegate)
            next = delegate->willSendRequest(*owner, request, nullptr);
        if (!alive || !running)
            return;
        if (!next) {
            stop();
            return;
        }
        request = *next;
        send();
    }

    void send()
    {
        QUrl url(QString::fromStdString(request.url), QUrl::StrictMode);
        if (!isFetchable(url)) {
            fail(Error(kURLErrorDomain, URLErrorUnsupportedURL, "unsupported URL"));
            return;
        }
        QNetworkAccessManager* nam = manager();
        if (!nam) {
            fail(Error(kURLErrorDomain, URLErrorUnknown, "no network access without an application"));
            return;
        }
        QNetworkRequest qreq(url);
        qreq.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        qreq.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        qreq.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        qreq.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Automatic);
        qreq.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Automatic);
        qreq.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
        for (const auto& [k, v] : request.headers)
            qreq.setRawHeader(QByteArray::fromStdString(k), QByteArray::fromStdString(v));

        responseDelivered = false;
        received = 0;
        context = new QObject();
        reply = nam->get(qreq);
        auto guarded = [this, alive = lifetime.watch()](void (Impl::*fn)()) {
            return [this, alive, fn] {
                if (alive)
                    (this->*fn)();
            };
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, context, guarded(&Impl::onMetaData));
        QObject::connect(reply, &QNetworkReply::readyRead, context, guarded(&Impl::onReadyRead));
        QObject::connect(reply, &QNetworkReply::finished, context, guarded(&Impl::onFinished));
        armStall();
    }

    UrlResponse responseFromReply() const
    {
        UrlResponse r;
        r.url = reply->url().toString(QUrl::FullyEncoded).toStdString();
        r.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        for (const auto& pair : reply->rawHeaderPairs())
            r.headers.emplace_back(pair.first.toStdString(), pair.second.toStdString());
        QVariant len = reply->header(QNetworkRequest::ContentLengthHeader);
        if (len.isValid())
            r.expectedContentLength = len.toLongLong();
        return r;
    }

    // Delivers the response once. Returns false when the connection ended
    // meanwhile (redirect, failure, or destroyed by the delegate).
    bool ensureResponse()
    {
        if (responseDelivered)
            return running;
        if (!reply)
            return false;
        QVariant statusAttr = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!statusAttr.isValid())
            return true; // headers not there yet
        int status = statusAttr.toInt();
        if (isRedirectStatus(status) && reply->hasRawHeader("Location")) {
            redirect();
            return false;
        }
        UrlResponse response = responseFromReply();
        if (request.maxBodyBytes > 0 && response.expectedContentLength > request.maxBodyBytes) {
            fail(Error(kURLErrorDomain, URLErrorDataLengthExceedsMaximum, "the resource exceeds the maximum size"));
            return false;
        }
        responseDelivered = true;
        const auto alive = lifetime.watch();
        if (delegate)
            delegate->didReceiveResponse(*owner, response);
        return alive && running;
    }

    void redirect()
    {
        UrlResponse response = responseFromReply();
        QUrl target = reply->url().resolved(QUrl(QString::fromUtf8(reply->rawHeader("Location"))));
        detachReply();
        disarmStall();
        if (++redirects > kMaxRedirects) {
            fail(Error(kURLErrorDomain, URLErrorHTTPTooManyRedirects, "too many HTTP redirects"));
            return;
        }
        UrlRequest next = request;
        next.url = target.toString(QUrl::FullyEncoded).toStdString();
        const auto alive = lifetime.watch();
        std::optional<UrlRequest> accepted = next;
        if (delegate)
            accepted = delegate->willSendRequest(*owner, next, &response);
        if (!alive || !running)
            return;
        if (!accepted) {
            stop();
            return;
        }
        request = *accepted;
        send();
    }

    void onMetaData() { ensureResponse(); }

    void onReadyRead()
    {
        if (!ensureResponse() || !responseDelivered || !reply)
            return;
        QByteArray chunk = reply->readAll();
        if (chunk.isEmpty())
            return;
        received += chunk.size();
        if (request.maxBodyBytes > 0 && received > request.maxBodyBytes) {
            fail(Error(kURLErrorDomain, URLErrorDataLengthExceedsMaximum, "the resource exceeds the maximum size"));
            return;
        }
        armStall();
        if (delegate)
            delegate->didReceiveData(*owner, std::string_view(chunk.constData(), size_t(chunk.size())));
    }

    void onFinished()
    {
        if (!reply || !running)
            return;
        QNetworkReply::NetworkError e = reply->error();
        // Only an error status is an answer despite Qt's error; a 200 whose
        // body could not be read (a broken compressed stream) is a failure,
        // or the body cut short would pass for the whole one.
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        bool answered = status.isValid() && status.toInt() >= 400;
        if (e != QNetworkReply::NoError && !(answered && isHttpStatusError(e))) {
            fail(errorFrom(e, reply->errorString()));
            return;
        }
        const auto alive = lifetime.watch();
        onReadyRead(); // whatever is left of the body
        if (!alive || !running || !reply)
            return;
        if (!responseDelivered) {
            fail(Error(kURLErrorDomain, URLErrorNetworkConnectionLost, "no response"));
            return;
        }
        stop();
        if (delegate)
            delegate->didFinishLoading(*owner);
    }
};

UrlConnection::UrlConnection()
    : impl_(std::make_unique<Impl>())
{
}

UrlConnection::~UrlConnection() = default;

std::unique_ptr<UrlConnection> UrlConnection::start(const UrlRequest& request, UrlConnectionDelegate* delegate)
{
    if (!isFetchable(QUrl(QString::fromStdString(request.url), QUrl::StrictMode)))
        return nullptr;
    std::unique_ptr<UrlConnection> c(new UrlConnection());
    Impl* impl = c->impl_.get();
    impl->owner = c.get();
    impl->delegate = delegate;
    impl->request = request;
    impl->running = true;
    RunLoop::main().post([impl, alive = impl->lifetime.watch()] {
        if (alive && impl->running)
            impl->begin();
    });
    return c;
}

void UrlConnection::cancel()
{
    impl_->stop();
}

const UrlRequest& UrlConnection::currentRequest() const
{
    return impl_->request;
}

bool UrlConnection::isRunning() const
{
    return impl_->running;
}


// Left to the application object's own destruction, the manager would go
// down after the main event dispatcher is deleted and Qt's post routines have
// run, and its HTTP worker thread would wind down (or, if it is slow to stop
// on a loaded machine, outlive the manager) against that half-destroyed
// state. Taking it down here, with the application whole, keeps that thread's
// end inside the session's lifetime.
void releaseNetworkAccess()
{
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    // Replies and reply contexts already handed to deleteLater go first, the
    // ordinary way, so that none is left pending behind the manager.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (QNetworkAccessManager* nam = sharedManager()) {
        // Connections still running lose their reply here (their QPointer
        // clears); nothing more is delivered to them, which is all that a
        // process on its way out needs.
        delete nam;
    }
    // Deletions the manager's teardown queued run while the dispatcher is
    // still there. Other posted work is left alone: it could start a request
    // and make a new manager.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}
