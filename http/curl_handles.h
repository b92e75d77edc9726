// Move-only owners of libcurl's C handles, so that every handle of the page
// fetch is released on every path.
#ifndef KESSRUNE_HTTP_CURL_HANDLES_H
#define KESSRUNE_HTTP_CURL_HANDLES_H

#include <curl/curl.h>

#include <memory>

namespace kessrune::curl {

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
    void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};
struct ShareDeleter {
    void operator()(CURLSH* h) const { curl_share_cleanup(h); }
};
struct SlistDeleter {
    void operator()(curl_slist* h) const { curl_slist_free_all(h); }
};
struct UrlDeleter {
    void operator()(CURLU* h) const { curl_url_cleanup(h); }
};
struct StringDeleter {
    void operator()(char* s) const { curl_free(s); }
};

using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using Share = std::unique_ptr<CURLSH, ShareDeleter>;
using Url = std::unique_ptr<CURLU, UrlDeleter>;
using String = std::unique_ptr<char, StringDeleter>;

// A header list; `append` keeps the list when curl cannot grow it.
class Slist {
  public:
    Slist() = default;
    // Appends a copy of `line`; false (list unchanged) when out of memory.
    bool append(const char* line) {
        curl_slist* grown = curl_slist_append(list_.get(), line);
        if (grown == nullptr)
            return false;
        list_.release();
        list_.reset(grown);
        return true;
    }
    curl_slist* get() const { return list_.get(); }

  private:
    std::unique_ptr<curl_slist, SlistDeleter> list_;
};

// An easy handle attached to a multi handle for the lifetime of this object.
class MultiAttachment {
  public:
    MultiAttachment(CURLM* multi, CURL* easy)
        : multi_(multi), easy_(easy), attached_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
    ~MultiAttachment() {
        if (attached_)
            curl_multi_remove_handle(multi_, easy_);
    }
    MultiAttachment(const MultiAttachment&) = delete;
    MultiAttachment& operator=(const MultiAttachment&) = delete;
    bool attached() const { return attached_; }

  private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_;
};

}  // namespace kessrune::curl

#endif  // KESSRUNE_HTTP_CURL_HANDLES_H
