// A small scripted HTTP server for tests, on 127.0.0.1 only.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "tdtest.h"

namespace tdtest {
namespace {

struct WsaInit {
    WsaInit() {
        WSADATA d;
        WSAStartup(MAKEWORD(2, 2), &d);
    }
};

const char* ReasonFor(int status) {
    switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 206: return "Partial Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 307: return "Temporary Redirect";
        case 400: return "Bad Request";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 407: return "Proxy Authentication Required";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

bool SendAll(SOCKET s, const char* data, size_t len) {
    while (len > 0) {
        int n = send(s, data, static_cast<int>(std::min<size_t>(len, 1 << 20)), 0);
        if (n <= 0) return false;
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

// Reads one request: head up to the blank line, then Content-Length bytes.
bool ReadRequest(SOCKET s, HttpRequest* req) {
    std::string data;
    char buf[16384];
    size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) return false;
        data.append(buf, n);
        headEnd = data.find("\r\n\r\n");
        if (data.size() > (1 << 20)) return false;
    }
    std::string head = data.substr(0, headEnd);
    req->body = data.substr(headEnd + 4);
    size_t lineEnd = head.find("\r\n");
    std::string first = head.substr(0, lineEnd);
    size_t sp1 = first.find(' ');
    size_t sp2 = first.rfind(' ');
    if (sp1 == std::string::npos || sp2 == sp1) return false;
    req->method = first.substr(0, sp1);
    req->target = first.substr(sp1 + 1, sp2 - sp1 - 1);
    req->version = first.substr(sp2 + 1);
    std::string target = req->target;
    if (target.compare(0, 7, "http://") == 0) {   // proxy form
        size_t slash = target.find('/', 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    size_t q = target.find('?');
    req->path = target.substr(0, q);
    req->query = q == std::string::npos ? "" : target.substr(q + 1);
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        size_t e = head.find("\r\n", pos);
        if (e == std::string::npos) e = head.size();
        std::string line = head.substr(pos, e - pos);
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            req->headers[Lower(line.substr(0, colon))] = value;
        }
        pos = e + 2;
    }
    size_t want = 0;
    auto it = req->headers.find("content-length");
    if (it != req->headers.end()) want = strtoul(it->second.c_str(), nullptr, 10);
    while (req->body.size() < want) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) break;
        req->body.append(buf, n);
    }
    return true;
}

}  // namespace

std::string HttpRequest::Header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

HttpResponse HttpResponse::Text(int status, const std::string& body, const std::string& type) {
    HttpResponse r;
    r.status = status;
    r.body = body;
    r.headers.emplace_back("Content-Type", type);
    return r;
}

HttpResponse HttpResponse::Redirect(int status, const std::string& location) {
    HttpResponse r;
    r.status = status;
    r.headers.emplace_back("Location", location);
    return r;
}

std::string GzipBytes(const std::string& data) {
    z_stream zs = {};
    if (deflateInit2(&zs, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return rc == Z_STREAM_END ? out : std::string();
}

bool GunzipBytes(const std::string& data, std::string* out) {
    out->clear();
    z_stream zs = {};
    if (inflateInit2(&zs, 15 + 16) != Z_OK) return false;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    char buf[65536];
    int rc;
    do {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out->append(buf, sizeof buf - zs.avail_out);
    } while (rc == Z_OK);
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

HttpServer::HttpServer() {
    static WsaInit wsa;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(s, 64) != 0) {
        if (s != INVALID_SOCKET) closesocket(s);
        return;
    }
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listen_ = s;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpServer::~HttpServer() { Stop(); }

void HttpServer::Stop() {
    if (stopping_.exchange(true)) return;
    if (listen_ != ~uintptr_t(0)) closesocket(static_cast<SOCKET>(listen_));
    if (acceptThread_.joinable()) acceptThread_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mu_);
        for (uintptr_t s : open_) shutdown(static_cast<SOCKET>(s), SD_BOTH);
        workers.swap(workers_);
    }
    for (auto& t : workers)
        if (t.joinable()) t.join();
}

std::string HttpServer::Host() const { return "127.0.0.1:" + std::to_string(port_); }
std::string HttpServer::Url(const std::string& path) const { return "http://" + Host() + path; }

void HttpServer::Route(const std::string& path, HttpHandler handler) {
    std::lock_guard<std::mutex> lock(mu_);
    routes_.insert(routes_.begin(), {path, std::move(handler)});   // later routes win
}

void HttpServer::Serve(const std::string& path, const std::string& body, const std::string& type) {
    Route(path, [body, type](const HttpRequest&) { return HttpResponse::Text(200, body, type); });
}

void HttpServer::Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    routes_.clear();
    requests_.clear();
}

std::vector<HttpRequest> HttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

size_t HttpServer::Count(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mu_);
    return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                              [&](const HttpRequest& r) { return r.path == path; }));
}

void HttpServer::AcceptLoop() {
    while (!stopping_) {
        SOCKET c = accept(static_cast<SOCKET>(listen_), nullptr, nullptr);
        if (c == INVALID_SOCKET) break;
        BOOL one = TRUE;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
        std::lock_guard<std::mutex> lock(mu_);
        if (stopping_) {
            closesocket(c);
            break;
        }
        open_.push_back(c);
        workers_.emplace_back([this, c] { Handle(c); });
    }
}

void HttpServer::Handle(uintptr_t sockValue) {
    SOCKET s = static_cast<SOCKET>(sockValue);
    HttpRequest req;
    if (ReadRequest(s, &req)) {
        HttpHandler handler;
        {
            std::lock_guard<std::mutex> lock(mu_);
            requests_.push_back(req);
            for (auto& r : routes_) {
                const std::string& p = r.first;
                bool match = (!p.empty() && p.back() == '*') ? req.path.compare(0, p.size() - 1, p, 0, p.size() - 1) == 0
                                                             : req.path == p;
                if (match) {
                    handler = r.second;
                    break;
                }
            }
        }
        HttpResponse resp = handler ? handler(req) : HttpResponse::Text(404, "not found");
        // A long delay stands for a stalled server: a stop ends it.
        for (const DWORD start = GetTickCount(); !stopping_ && GetTickCount() - start < resp.delayMs;) Sleep(10);
        std::string body = resp.gzip ? GzipBytes(resp.body) : resp.body;
        std::string head = resp.statusLine.empty()
                               ? "HTTP/1.0 " + std::to_string(resp.status) + " " +
                                     (resp.reason.empty() ? ReasonFor(resp.status) : resp.reason)
                               : resp.statusLine;
        head += "\r\n";
        for (auto& h : resp.headers) head += h.first + ": " + h.second + "\r\n";
        if (resp.gzip) head += "Content-Encoding: gzip\r\n";
        if (!resp.noContentLength && !resp.stream) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        size_t sendLen = std::min(body.size(), resp.truncateAfter);
        bool ok = true;
        if (resp.chunkSize == 0) {
            std::string all = head + body.substr(0, sendLen);
            ok = SendAll(s, all.data(), all.size());
        } else {
            ok = SendAll(s, head.data(), head.size());
            for (size_t off = 0; ok && off < sendLen && !stopping_; off += resp.chunkSize) {
                size_t n = std::min(resp.chunkSize, sendLen - off);
                ok = SendAll(s, body.data() + off, n);
                if (resp.chunkDelayMs) Sleep(resp.chunkDelayMs);
            }
        }
        if (ok && resp.stream) {
            std::string more;
            while (!stopping_) {
                more.clear();
                if (!resp.stream(&more)) break;
                if (!more.empty() && !SendAll(s, more.data(), more.size())) break;
            }
        }
        shutdown(s, SD_SEND);
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        open_.erase(std::remove(open_.begin(), open_.end(), sockValue), open_.end());
    }
    closesocket(s);
}

}  // namespace tdtest
