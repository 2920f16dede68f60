// A stand-in interface server for the tests, on 127.0.0.1 (an ephemeral
// port; the client reaches it through cInternet::SetServerName(Host())).
// It takes the POSTs the player sends to the interface path, deciphers them,
// answers each request kind with an enciphered reply of the shape the player
// reads, and can misbehave on purpose. It also serves the enciphered station
// database and plain files. It stops when it is destroyed.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tdtest.h"

namespace ifserver {

enum class Fault {
    kNone,
    kStatus404,
    kStatus500,
    kNoContent,      // 204 without a body
    kWrongLength,    // an enciphered answer that is not whole 8-byte blocks
    kGzip,           // a correct answer, gzip-encoded
    kGzipUpper,      // the same, announced as "GZIP"
    kCorruptGzip,
    kGzipBomb,       // a few hundred kilobytes that unpack to 100 MB
    kSlow,           // the answer dribbles out in small pieces
    kCut,            // the connection ends in the middle of the answer
};

class InterfaceServer {
public:
    InterfaceServer();
    std::string Host() const { return http_.Host(); }
    std::string Url(const std::string& path) const { return http_.Url(path); }

    void SetFault(Fault f);
    // Replaces the default reply to the request whose root element is `root`.
    void SetReply(const std::string& root, const std::string& xml);
    // The deciphered requests (trailing zero bytes removed) and the sizes of
    // their enciphered bodies, in arrival order.
    std::vector<std::string> Requests() const;
    std::vector<size_t> BodySizes() const;
    std::vector<tdtest::HttpRequest> RawRequests() const { return http_.Requests(); }

    // The station database as the update download delivers it: gzip of the
    // text, padded with 0xFD to whole blocks, enciphered.
    void ServeStationDb(const std::string& path, const std::string& text);
    void ServeFile(const std::string& path, const std::string& body) { http_.Serve(path, body); }

    static std::string RootOf(const std::string& xml);
    static std::string DefaultReply(const std::string& root, const std::string& request);

private:
    tdtest::HttpResponse Answer(const tdtest::HttpRequest& req);

    mutable std::mutex mu_;
    Fault fault_ = Fault::kNone;
    std::map<std::string, std::string> replies_;
    std::vector<std::string> requests_;
    std::vector<size_t> sizes_;
    tdtest::HttpServer http_;
};

}  // namespace ifserver
