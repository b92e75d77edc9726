#include "http/fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>

#include "http/charset.h"
#include "http/cookies.h"
#include "http/curl_handles.h"
#include "http/fetch_profile.h"

namespace kessrune {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxRedirects = 10;
// A response whose header lines run past this is dropped: its block could
// never be handed back, and a server could otherwise send headers for ever.
// Below curl's own limit (300 KiB), so that the failure is known for what it is.
constexpr std::size_t kMaxHeaderBytes = std::size_t{256} << 10;
constexpr auto kPollInterval = std::chrono::milliseconds(50);
constexpr long kKeptConnections = 64;

// The connection store: one curl share holding the kept connections, the
// DNS answers, the TLS sessions and the cookies (in memory only), used by
// every transfer at once. Curl takes one of `locks` around each use of a kind
// of shared data, so transfers on several threads run side by side and only
// meet for the moment a connection is taken from or handed back to the
// cache. A transfer holds the store it started with: a reset gives later
// fetches a new one, and the old one goes with its last transfer.
class ConnectionStore {
  public:
    ConnectionStore() : share_(curl_share_init()) {
        if (!share_)
            return;
        CURLSH* h = share_.get();
        curl_share_setopt(h, CURLSHOPT_LOCKFUNC, lock);
        curl_share_setopt(h, CURLSHOPT_UNLOCKFUNC, unlock);
        curl_share_setopt(h, CURLSHOPT_USERDATA, this);
        for (curl_lock_data data : {CURL_LOCK_DATA_DNS, CURL_LOCK_DATA_SSL_SESSION,
                                    CURL_LOCK_DATA_COOKIE, CURL_LOCK_DATA_CONNECT}) {
            curl_share_setopt(h, CURLSHOPT_SHARE, data);
        }
    }
    CURLSH* share() const { return share_.get(); }

  private:
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
        static_cast<ConnectionStore*>(user)->locks_[index(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* user) {
        static_cast<ConnectionStore*>(user)->locks_[index(data)].unlock();
    }
    static std::size_t index(curl_lock_data data) {
        const auto i = static_cast<std::size_t>(data);
        return i < CURL_LOCK_DATA_LAST ? i : 0;
    }

    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
    curl::Share share_;  // after the locks: cleaned up while they still exist
};

// The process-wide state of the layer: the current connection store and the
// settings, each read and replaced under `mutex_` and handed out by value.
class Layer {
  public:
    static Layer& instance() {
        static Layer layer;
        return layer;
    }
    std::shared_ptr<ConnectionStore> store() const {
        std::lock_guard lock(mutex_);
        return store_;
    }
    void resetStore() {
        auto fresh = std::make_shared<ConnectionStore>();
        std::shared_ptr<ConnectionStore> old;
        std::lock_guard lock(mutex_);
        old = std::exchange(store_, std::move(fresh));
    }
    FetchSettings settings() const {
        std::lock_guard lock(mutex_);
        return settings_;
    }
    void setSettings(FetchSettings settings) {
        std::lock_guard lock(mutex_);
        settings_ = std::move(settings);
    }

  private:
    Layer() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        store_ = std::make_shared<ConnectionStore>();
    }

    mutable std::mutex mutex_;
    std::shared_ptr<ConnectionStore> store_;
    FetchSettings settings_;
};

// What one request sends.
struct Hop {
    std::string url;
    std::string verb;
    bool sendBody = false;
    const Bytes* body = nullptr;
    std::vector<std::string> headerLines;
    std::optional<std::string> agent;  // nullopt: no agent line of curl's own
    bool cookieStore = true;
    std::string proxy;  // "" for a direct connection
};

// What one request received, filled by curl's callbacks.
struct Reception {
    bool headerTooLarge = false;
    bool bodyCapped = false;
    std::size_t maxBody = 0;
    std::string body;       // raw bytes; becomes the page text in place
    std::string block;      // status line and header lines of the last response
    bool complete = false;  // the empty line ending `block` has arrived
    bool interim = false;   // `block` is a 1xx response; the next one replaces it
    bool overflow = false;  // `block` outgrew the raw header buffer
    std::size_t headerBytes = 0;
    bool connected = false;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t sent = 0;
};

int statusOf(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos)
        return 0;
    return textToInt(statusLine.substr(space + 1));
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto& r = *static_cast<Reception*>(user);
    const size_t n = size * count;
    r.lastActivity = Clock::now();
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);

    const bool statusLine = line.starts_with("HTTP/");
    if (statusLine && (r.interim || !r.complete)) {
        r.block.clear();
        r.complete = false;
        r.interim = false;
        r.overflow = false;
        // headerBytes is not reset: interim responses count towards the
        // limit too, so an endless run of them ends the read as well.
    } else if (r.complete) {
        return n;  // trailers after the body are no part of the header block
    }
    r.headerBytes += n;
    if (r.headerBytes > kMaxHeaderBytes) {
        r.headerTooLarge = true;
        return 0;
    }
    if (line.empty()) {
        if (r.block.empty())
            return n;
        r.block += "\r\n";
        r.complete = true;
        r.interim = statusOf(r.block) / 100 == 1;
        if (r.interim)
            r.complete = false;
        return n;
    }
    if (r.block.size() + line.size() + 2 < static_cast<std::size_t>(fetch::kRawHeaderBuffer)) {
        r.block.append(line);
        r.block += "\r\n";
    } else {
        r.overflow = true;  // the block can no longer be handed back
    }
    return n;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto& r = *static_cast<Reception*>(user);
    const size_t n = size * count;
    r.lastActivity = Clock::now();
    const size_t room = r.maxBody - std::min(r.maxBody, r.body.size());
    try {
        r.body.append(data, std::min(n, room));
    } catch (...) {
        return 0;  // no memory for it: nothing may unwind through curl
    }
    if (n > room) {
        r.bodyCapped = true;
        return 0;  // ends the transfer as a failed read
    }
    return n;
}

int onPrerequest(void* user, char*, char*, int, int) {
    auto& r = *static_cast<Reception*>(user);
    r.connected = true;
    r.lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    auto& r = *static_cast<Reception*>(user);
    if (sent != r.sent) {
        r.sent = sent;
        r.lastActivity = Clock::now();
    }
    return 0;
}

struct HopResult {
    Reception reception;
    long status = 0;
    bool aborted = false;
    bool pastDeadline = false;
    bool idle = false;  // ended by the receive time-out
    CURLcode code = CURLE_OK;
    std::string error;        // curl's own words for `code`
    std::string redirectUrl;  // where a 3xx with a Location points, resolved
};

// What bounds one fetch, over all its hops.
struct Limits {
    Clock::time_point deadline = Clock::time_point::max();
    std::stop_token stop;
};

// Runs one request on a multi handle of its own over the shared store,
// watching for a stop, the receive time-out and the deadline while it
// waits. nullopt when no request handle could be made.
std::optional<HopResult> perform(const ConnectionStore& store, const Hop& hop,
                                 const FetchSettings& settings, const Limits& limits) {
    curl::Easy easy(curl_easy_init());
    curl::Multi multi(curl_multi_init());
    curl::Slist headers;
    if (!easy || !multi)
        return std::nullopt;
    // How many idle connections the store keeps: curl reckons it from the
    // multi handle that returns one, and ours holds a single transfer.
    curl_multi_setopt(multi.get(), CURLMOPT_MAXCONNECTS, kKeptConnections);
    for (const std::string& line : hop.headerLines)
        headers.append(line.c_str());
    // No "Expect: 100-continue" before a body.
    headers.append("Expect:");

    HopResult result;
    Reception& r = result.reception;
    r.maxBody = settings.maxBodyBytes;
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, hop.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_SHARE, store.share());
    if (hop.cookieStore)
        curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(h, CURLOPT_PROXY, hop.proxy.c_str());
    if (hop.agent)
        curl_easy_setopt(h, CURLOPT_USERAGENT, hop.agent->c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, hop.verb.c_str());
    if (hop.sendBody) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(hop.body->size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS,
                         hop.body->empty() ? "" : reinterpret_cast<const char*>(hop.body->data()));
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.caFile.empty())
        curl_easy_setopt(h, CURLOPT_CAINFO, settings.caFile.c_str());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(settings.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &r);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &r);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, onPrerequest);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, &r);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &r);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);

    {
        curl::MultiAttachment attachment(multi.get(), h);
        if (!attachment.attached())
            return std::nullopt;
        // A stop asked for from another thread ends the wait at once.
        CURLM* m = multi.get();
        std::stop_callback wake(limits.stop, [m] { curl_multi_wakeup(m); });
        int running = 1;
        while (curl_multi_perform(m, &running) == CURLM_OK) {
            if (running == 0)
                break;
            if (limits.stop.stop_requested()) {
                result.aborted = true;
                break;
            }
            const auto now = Clock::now();
            if (now >= limits.deadline) {
                result.pastDeadline = true;
                break;
            }
            const auto idle = now - r.lastActivity;
            if (r.connected && idle >= settings.receiveTimeout) {
                result.idle = true;
                break;
            }
            auto wait = std::min<Clock::duration>(kPollInterval, limits.deadline - now);
            if (r.connected)
                wait = std::min<Clock::duration>(wait, settings.receiveTimeout - idle);
            const auto waitMs =
                std::max<long long>(1, std::chrono::ceil<std::chrono::milliseconds>(wait).count());
            // Curl hands its callbacks whole header lines only; an event on
            // the transfer's socket is what tells that a byte has arrived, so
            // a block trickled byte by byte is not taken for silence.
            int events = 0;
            curl_multi_poll(m, nullptr, 0, static_cast<int>(waitMs), &events);
            if (events > 0)
                r.lastActivity = Clock::now();
        }
        // The attachment ends here: an unfinished transfer's connection is
        // closed, a finished one's goes back to the store for the next fetch.
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m, &queued)) {
            if (message->msg == CURLMSG_DONE)
                result.code = message->data.result;
        }
    }
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    if (result.code != CURLE_OK)
        result.error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(result.code);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    char* location = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location != nullptr) {
        result.redirectUrl = fetch::percentEncodeUnsafe(location);
    }
    return result;
}

bool isTlsError(CURLcode code) {
    switch (code) {
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_USE_SSL_FAILED:
            return true;
        default:
            return false;
    }
}

// Why one hop failed, or none; `detail` gets curl's words where they help.
FetchFailure failureOf(const HopResult& hop, std::string& detail) {
    const Reception& r = hop.reception;
    if (hop.aborted)
        return FetchFailure::aborted;
    if (hop.pastDeadline)
        return FetchFailure::totalLimit;
    if (hop.idle)
        return FetchFailure::idleTimeout;
    if (r.headerTooLarge)
        return FetchFailure::headerBlockTooLarge;
    if (r.bodyCapped)
        return FetchFailure::bodyCapReached;
    switch (hop.code) {
        case CURLE_OK:
            return FetchFailure::none;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return FetchFailure::dnsFailure;
        case CURLE_COULDNT_CONNECT:
            return FetchFailure::connectionRefused;
        case CURLE_OPERATION_TIMEDOUT:
            return r.connected ? FetchFailure::idleTimeout : FetchFailure::connectTimeout;
        default:
            detail = hop.error;
            return isTlsError(hop.code) ? FetchFailure::tlsRefused : FetchFailure::brokenConnection;
    }
}

bool isRedirectStatus(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string proxyFor(const std::string& url, const Text* proxyAddress) {
    if (proxyAddress == nullptr || proxyAddress->empty())
        return {};
    const auto parts = fetch::urlParts(url);
    if (!parts || parts->scheme != "http" || fetch::isLoopbackHost(parts->host))
        return {};
    if (findText(*proxyAddress, "http://", 1, true) == 1)
        return *proxyAddress;
    return "http://" + *proxyAddress;
}

}  // namespace

std::string_view failureWords(FetchFailure failure) {
    switch (failure) {
        case FetchFailure::none:
            return "";
        case FetchFailure::notAHostName:
            return "not a host name";
        case FetchFailure::dnsFailure:
            return "host name not found";
        case FetchFailure::connectionRefused:
            return "connection refused";
        case FetchFailure::connectTimeout:
            return "connect time-out";
        case FetchFailure::tlsRefused:
            return "TLS refused";
        case FetchFailure::idleTimeout:
            return "no data for too long";
        case FetchFailure::totalLimit:
            return "time limit reached";
        case FetchFailure::redirectToHttp:
            return "redirect from https to http refused";
        case FetchFailure::redirectToOtherScheme:
            return "redirect to another scheme refused";
        case FetchFailure::tooManyRedirects:
            return "more than 10 redirects";
        case FetchFailure::headerBlockTooLarge:
            return "header block too large";
        case FetchFailure::bodyCapReached:
            return "body over 256 MiB";
        case FetchFailure::brokenConnection:
            return "connection broken";
        case FetchFailure::aborted:
            return "aborted";
    }
    return "";
}

void setFetchSettings(FetchSettings settings) {
    Layer::instance().setSettings(std::move(settings));
}

FetchSettings fetchSettings() {
    return Layer::instance().settings();
}

void resetFetchStore() {
    Layer::instance().resetStore();
}

namespace {

// The fetch up to its body, as received; rawHeaders and the other
// by-reference parameters filled as fetchPage fills them.
std::string fetchRawBody(const Text& address, const FetchOptions& options, Text& rawHeaders);

}  // namespace

Text fetchPage(const Text& address, const FetchOptions& options) {
    Text localRaw;
    Text& rawHeaders = options.rawHeaders ? *options.rawHeaders : localRaw;
    // The body moves into the page text: a sheet of the body cap's size is
    // held once, and twice only while it is converted.
    Text page = fetchRawBody(address, options, rawHeaders);
    if (fetch::countsAsUtf8(page, rawHeaders)) {
        page = gbkFromUtf8(page);  // the conversion ends at a zero character
    } else {
        page.resize(std::min(page.find('\0'), page.size()));
    }
    return page;
}

std::string fetchBody(const Text& address, const FetchOptions& options) {
    Text localRaw;
    return fetchRawBody(address, options, options.rawHeaders ? *options.rawHeaders : localRaw);
}

namespace {

std::string fetchRawBody(const Text& address, const FetchOptions& options, Text& rawHeaders) {
    // Omitted by-reference parameters act as fresh empty variables.
    const Text noText;
    Text localReceived, localExtra, localRedirect;
    Bytes localPostBytes;
    Text& receivedCookies = options.receivedCookies ? *options.receivedCookies : localReceived;
    Text& extraHeaders = options.extraHeaders ? *options.extraHeaders : localExtra;
    Text& redirectLocation = options.redirectLocation ? *options.redirectLocation : localRedirect;
    Bytes& postBytes = options.postBytes ? *options.postBytes : localPostBytes;
    const Text& postText = options.postText ? *options.postText : noText;

    const Clock::time_point started = Clock::now();
    FetchReport localReport;
    FetchReport& report = options.report ? *options.report : localReport;
    report = FetchReport();
    const std::optional<std::string> firstUrl = fetch::requestUrl(address);
    if (!firstUrl) {
        report.failure = FetchFailure::notAHostName;
        return {};
    }
    report.url = *firstUrl;

    Limits limits;
    if (options.maxTime > std::chrono::milliseconds::zero())
        limits.deadline = Clock::now() + options.maxTime;
    limits.stop = options.stop;
    const std::shared_ptr<ConnectionStore> store = Layer::instance().store();
    const FetchSettings settings = Layer::instance().settings();

    Hop hop;
    hop.url = *firstUrl;
    hop.verb = options.method == 1 ? "POST" : "GET";
    Text agent = fetch::userAgentFor(extraHeaders);
    if (agent.find_first_of("\r\n") == Text::npos)
        hop.agent = std::move(agent);
    hop.cookieStore = options.cookies == nullptr;

    // The request can be made: from here on the caller's variables change.
    fetch::addDefaultHeaderLines(extraHeaders, address,
                                 options.cookies ? *options.cookies : noText);
    hop.headerLines = fetch::requestHeaderLines(extraHeaders, true);
    if (options.method != 0) {
        if (postBytes.empty())
            postBytes = textToBytes(postText);
        hop.sendBody = true;
        hop.body = &postBytes;
    }
    const std::optional<fetch::UrlParts> firstParts = fetch::urlParts(hop.url);
    hop.proxy = proxyFor(hop.url, options.proxyAddress);

    Reception final;
    for (int redirects = 0;; ++redirects) {
        // A stop or a deadline that came first: no (further) request at all.
        if (limits.stop.stop_requested()) {
            report.failure = FetchFailure::aborted;
            break;
        }
        if (Clock::now() >= limits.deadline) {
            report.failure = FetchFailure::totalLimit;
            break;
        }
        std::optional<HopResult> done = perform(*store, hop, settings, limits);
        if (!done) {
            report.failure = FetchFailure::brokenConnection;
            report.detail = "no transfer could be set up";
            break;
        }
        report.url = hop.url;
        report.redirects = redirects;
        report.status = static_cast<int>(done->status);
        report.failure = failureOf(*done, report.detail);
        final = std::move(done->reception);
        if (done->aborted || done->pastDeadline || options.noRedirect ||
            !isRedirectStatus(done->status) || done->redirectUrl.empty())
            break;

        // A redirect the layer will not follow fails the fetch: its body is
        // dropped, its headers stay the final response's.
        const auto from = fetch::urlParts(hop.url);
        const auto to = fetch::urlParts(done->redirectUrl);
        if (!from || !to || (to->scheme != "https" && to->scheme != "http")) {
            report.failure = FetchFailure::redirectToOtherScheme;
        } else if (to->scheme == "http" && from->scheme == "https") {
            report.failure = FetchFailure::redirectToHttp;
        } else if (redirects >= kMaxRedirects) {
            report.failure = FetchFailure::tooManyRedirects;
        }
        if (report.failure != FetchFailure::none) {
            report.detail = done->redirectUrl;
            final.body.clear();
            break;
        }
        if (done->status != 307 && done->status != 308 && hop.sendBody) {
            hop.verb = "GET";
            hop.sendBody = false;
        }
        const bool sameOrigin =
            firstParts && firstParts->host == to->host && firstParts->port == to->port;
        hop.headerLines = fetch::requestHeaderLines(extraHeaders, sameOrigin);
        hop.url = done->redirectUrl;
        hop.proxy = proxyFor(hop.url, options.proxyAddress);
    }

    rawHeaders = fetch::rawHeaderText(final.block, final.complete && !final.overflow);
    scanResponseHeaders(rawHeaders, options.cookies, receivedCookies, redirectLocation);

    report.bytes = final.body.size();
    report.time = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    return std::move(final.body);
}

}  // namespace

}  // namespace kessrune
