#include "net/http_client.h"

#include "net/http_file_sink.h"
#include "net/http_request.h"
#include "net/http_text.h"
#include "support/text_convert.h"

namespace {

HttpResult TextResult(HttpRequest& request, const wchar_t* method) {
    HttpResult result;
    result.ok = request.Execute(method);
    if (result.ok) {
        result.status = StatusFromText(request.statusText);
        result.body = WideToUtf8(request.responseText);
    }
    result.error = request.lastError;
    return result;
}

}  // namespace

HttpResult HttpGet(const std::string& url, const std::wstring& charset, HttpCancel* cancel) {
    HttpRequest request(Utf8ToWide(url));
    request.charset = charset;
    request.cancel = cancel;
    return TextResult(request, L"GET");
}

HttpResult HttpPost(const std::string& url, const std::string& body, const std::string& contentType,
                    HttpCancel* cancel) {
    HttpRequest request(Utf8ToWide(url));
    request.cancel = cancel;
    request.requestBody = body;
    request.requestBodyLength = static_cast<uint32_t>(body.size());
    request.extraHeaders = PostHeaders(body.size(), contentType);
    return TextResult(request, L"POST");
}

HttpResult HttpDownloadToFile(const std::wstring& url, const std::wstring& localPath, HttpProgress progress,
                              HttpCancel* cancel) {
    HttpResult result;
    HttpRequest request(url);
    request.progress = std::move(progress);
    request.cancel = cancel;
    HttpFileSink file(localPath);
    request.sink = &file;
    if (request.Execute(L"GET")) {
        result.status = StatusFromText(request.statusText);
        if (request.responseLength > 0) {
            result.ok = file.Commit();
            if (!result.ok) request.lastError = ::GetLastError();
        }
    }
    result.error = request.lastError;
    return result;
}

bool IsGoodResult(const HttpResult& result) { return result.ok && result.status < 400 && !result.body.empty(); }
