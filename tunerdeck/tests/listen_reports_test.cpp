// Listening reports: an upload that fails keeps its records, the player's
// end saves them with the settings and the next player sends them at once.
#include <gtest/gtest.h>

#include <string>

#include "core_test_support.h"
#include "ifserver.h"
#include "player.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

ListenRecord Record(int32_t streamId) {
    ListenRecord r;
    r.streamId = streamId;
    r.start = 1765000000u;
    r.stop = r.start + 600;
    r.connectTime = 600;
    r.skinId = "7";
    return r;
}

bool UploadDone(cRadioPlayer& p) {
    return tdtest::WaitFor([&] { return (p.JobFlags() & cRadioPlayer::kJobReports) == 0; }, 30000, 20);
}

TEST(ListenReports, KeptWhileTheServerIsDownAndSentAtTheNextStart) {
    coretest::PlayerFolders folders;
    ifserver::InterfaceServer server;
    cRadioPlayer::SetInterfaceServer("127.0.0.1:1");   // nobody answers there
    {
        cRadioPlayer player(0);
        for (int32_t id = 10; id < 15; ++id) player.RequeueReport(Record(id));
        // A record of nothing (stream 0, no address) is never sent or kept.
        player.RequeueReport(Record(0));
        player.SendListenReports();
        ASSERT_TRUE(UploadDone(player));
        EXPECT_EQ(player.PendingReports(), 5u);
    }
    EXPECT_TRUE(server.Requests().empty());

    cRadioPlayer::SetInterfaceServer(server.Host().c_str());
    {
        cRadioPlayer player(0);
        ASSERT_TRUE(tdtest::WaitFor([&] { return !server.Requests().empty(); }, 30000));
        ASSERT_TRUE(UploadDone(player));
        EXPECT_EQ(player.PendingReports(), 0u);
        const std::string request = server.Requests().front();
        EXPECT_EQ(ifserver::InterfaceServer::RootOf(request), "RunInfo2");
        for (const char* id : {"<v>10</v>", "<v>11</v>", "<v>12</v>", "<v>13</v>", "<v>14</v>"})
            EXPECT_EQ(Count(request, id), 1u) << id << "\n" << request;
    }
    cRadioPlayer::SetInterfaceServer("");
    // Nothing is left to send a third time.
    cRadioPlayer again(0);
    ASSERT_TRUE(UploadDone(again));
    EXPECT_EQ(again.PendingReports(), 0u);
    EXPECT_EQ(server.Requests().size(), 1u);
}

}  // namespace
