#include "platform/internet/http_post.h"

#include <algorithm>
#include <memory>

#include <curl/curl.h>

#include "platform/internet/curl_global.h"

namespace {

// Enough of a refusal to say why: servers put the reason in the first line or two.
constexpr std::size_t kAnswerKept = 300;

std::size_t KeepAnswer(char* data, std::size_t size, std::size_t count, void* answer) {
    auto& text = *static_cast<std::string*>(answer);
    const std::size_t bytes = size * count;
    if (text.size() < kAnswerKept) {
        text.append(data, std::min(bytes, kAnswerKept - text.size()));
    }
    return bytes;
}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

}  // namespace

HttpUploadResult SendHttpUpload(const HttpUpload& upload) {
    ensureCurlInitialized();
    HttpUploadResult result;
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    if (!easy) {
        result.problem = "the transfer library could not start a request";
        return result;
    }
    curl_slist* headers = nullptr;
    const auto addHeader = [&headers](const std::string& header) {
        if (curl_slist* grown = curl_slist_append(headers, header.c_str())) {
            headers = grown;
        }
    };
    if (!upload.contentType.empty()) {
        addHeader("Content-Type: " + upload.contentType);
    }
    for (const std::string& header : upload.headers) {
        addHeader(header);
    }
    // No "Expect: 100-continue" round trip: the body is small.
    addHeader("Expect:");
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> ownedHeaders(
        headers, &curl_slist_free_all);

    std::string answer;
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, upload.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, upload.method.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, upload.body.data());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(upload.body.size()));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(upload.timeout.count()));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &KeepAnswer);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = curl_easy_perform(handle);
    if (code != CURLE_OK) {
        result.problem = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
        return result;
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    result.delivered = result.status >= 200 && result.status < 300;
    if (!result.delivered) {
        result.problem = "the server answered HTTP " + std::to_string(result.status);
        if (const std::string said = OneLine(answer); !said.empty()) {
            result.problem += ": " + said;
        }
    }
    return result;
}
