#include "site/HttpCheck.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

std::string PageUrl(const std::string& url, const std::string& path)
{
    std::string page = url;
    if (page.empty() || page.back() != '/')
        page += '/';
    static const char digits[] = "0123456789ABCDEF";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            page += static_cast<char>(c);
        } else {
            page += '%';
            page += digits[c >> 4];
            page += digits[c & 15];
        }
    }
    return page;
}

THttpCheck CheckPublishedPage(const std::string& url, const std::string& path, std::uint64_t sentSize, int timeoutSeconds)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    THttpCheck check;
    check.Path = path;
    check.Url = PageUrl(url, path);
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        check.Error = "libcurl could not start";
        return check;
    }
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl.get(), CURLOPT_URL, check.Url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, "tallo-site");
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        check.Error = error[0] != '\0' ? error : curl_easy_strerror(code);
        return check;
    }
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &check.Status);
    curl_off_t length = -1;
    if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0)
        check.Length = static_cast<std::uint64_t>(length);
    check.Matches = check.Status == 200 && (!check.Length || *check.Length == sentSize);
    return check;
}
