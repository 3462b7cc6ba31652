// The product transport (WinINet on Win32 worker threads) against local CDDB servers started by
// CTest: a normal one, one that answers after 6 seconds, one that answers 404, one whose bodies
// are 10000 bytes long and one that sends half of each body it announces.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/tests/DemoDisc.h"
#include "drive/SimulatedDrive.h"
#include "lookup/CddbCommands.h"
#include "lookup/CddbLookup.h"
#include "lookup/ReplyBuffer.h"
#include "lookup/win/ProductTransport.h"
#include "ports/TextSink.h"

namespace discdeck {
namespace {

class RecordingTextSink : public TextSink {
  public:
    void SetText(const std::string& value) override { text = value; }
    std::string text;
};

// A file the servers wrote, by its Unix path (Wine's drive Z: is the Unix root).
std::string ReadServerFile(const std::string& name) {
    const char* folder = std::getenv("DISCDECK_CDDB_SERVERS");
    if (folder == nullptr) {
        return {};
    }
    std::string path = std::string("Z:") + folder + "/" + name;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

uint16_t ServerPort(const std::string& server) {
    return static_cast<uint16_t>(std::atoi(ReadServerFile(server + ".port").c_str()));
}

std::vector<std::string> LoggedPaths() {
    std::vector<std::string> lines;
    std::istringstream log(ReadServerFile("normal.log"));
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool WaitForAbandonedWorkers(const CddbTransport& transport) {
    for (int i = 0; i < 300 && transport.AbandonedWorkers() > 0; ++i) {
        Sleep(100);
    }
    return transport.AbandonedWorkers() == 0;
}

class LookupWinInet : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(0, ServerPort("normal")) << "no local CDDB server (DISCDECK_CDDB_SERVERS)";
        ASSERT_TRUE(drive.InsertDisc(DemoDisc()));
        device = std::make_unique<CdAudioDevice>(drive);
    }
    void TearDown() override { EXPECT_TRUE(WaitForAbandonedWorkers(*transport)); }

    // 0 with the reply kept, or -1 with the reason in status.
    int Send(const std::string& command, uint16_t port) {
        CddbAnswer answer = transport->Send(command, "127.0.0.1", port);
        reply = answer.reply;
        if (!answer.answered) {
            status.SetText(answer.failure);
        }
        return answer.answered ? 0 : -1;
    }
    // The look-up with the description taken into the device, as the window takes it.
    bool Query(uint16_t port) {
        const LookupOutcome outcome = LookUpDisc(*transport, DiscInfoOf(*device), "127.0.0.1", port);
        if (outcome.exchangeFailed) {
            status.SetText(outcome.failure);
        }
        if (outcome.entryTaken) {
            TakeDescription(*device, outcome.disc);
        }
        return outcome.found;
    }

    ManualClock clock;
    SimulatedDrive drive{clock};
    std::unique_ptr<CdAudioDevice> device;
    std::unique_ptr<CddbTransport> transport = CreateProductTransport("discdeck");
    RecordingTextSink status;
    std::string reply;
};

TEST_F(LookupWinInet, DemoDiscLookUp) {
    ASSERT_EQ(0x8409a30au, device->discId);
    const size_t before = LoggedPaths().size();
    ASSERT_TRUE(Query(ServerPort("normal")));
    EXPECT_EQ("8409a30a", FormatDiscIdField(device->discId));
    EXPECT_EQ("rock", device->category);
    EXPECT_EQ("Orvo Lindqvist / Northern Lights", device->discTitle);
    const char* titles[] = {"Polar Dawn", "Ice Harbour",  "Aurora Waltz", "Midnight Sun", "Fjord Lines",
                            "Snowfield",  "Reindeer Run", "Frost Glass",  "Long Night",   "Thaw"};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(titles[i], device->trackTitles[i]);
    }
    EXPECT_EQ("", status.text);

    const std::vector<std::string> paths = LoggedPaths();
    ASSERT_EQ(before + 2, paths.size());
    EXPECT_EQ(
        "/~cddb/cddb.cgi?cmd=CDDB+QUERY+8409a30a+10+150+16740+36002+55710+72558+93683+109121+129120+148295+168900+2469"
        "&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6",
        paths[before]);
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=CDDB+READ+rock+8409a30a&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6",
              paths[before + 1]);
}

TEST_F(LookupWinInet, HelpRequestPath) {
    ASSERT_EQ(0, Send("HELP", ServerPort("normal")));
    EXPECT_EQ(0u, reply.rfind("210 OK, help information follows", 0)) << reply;
    ASSERT_FALSE(LoggedPaths().empty());
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=HELP&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6", LoggedPaths().back());
}

TEST_F(LookupWinInet, SlowServerTimesOutAndItsLateAnswerStaysOut) {
    EXPECT_EQ(-1, Send("MOTD", ServerPort("slow")));
    EXPECT_EQ("Timeout ....", status.text);
    EXPECT_EQ("", reply);
    ASSERT_EQ(1, transport->AbandonedWorkers());
    ASSERT_TRUE(WaitForAbandonedWorkers(*transport));  // the server answered after 6 seconds
    EXPECT_EQ("", reply);
    ASSERT_EQ(0, Send("VER", ServerPort("normal")));
    EXPECT_EQ(0u, reply.rfind("200 discdeck-cddbd", 0)) << reply;
}

TEST_F(LookupWinInet, NotFoundGivesAnEmptyReply) {
    reply = "stale";
    EXPECT_EQ(0, Send("HELP", ServerPort("missing")));
    EXPECT_EQ("", reply);
    EXPECT_EQ("", status.text);
    device->category = "folk";
    EXPECT_TRUE(Query(ServerPort("missing")));
    EXPECT_EQ("folk", device->category);  // nothing was learned
}

TEST_F(LookupWinInet, AnAnswerBrokenOffIsAFailedExchange) {
    reply = "stale";
    EXPECT_EQ(-1, Send("HELP", ServerPort("cut")));
    EXPECT_EQ("", reply);
    EXPECT_FALSE(status.text.empty());
    EXPECT_NE("Timeout ....", status.text);

    device->category = "folk";
    device->discTitle = "Kept / Title";
    EXPECT_FALSE(Query(ServerPort("cut")));
    EXPECT_EQ("folk", device->category);
    EXPECT_EQ("Kept / Title", device->discTitle);
}

TEST_F(LookupWinInet, LongBodyIsReadUpTo4096Bytes) {
    ASSERT_EQ(0, Send("CDDB READ rock 8409a30a", ServerPort("oversize")));
    EXPECT_EQ(kReplyBufferSize, reply.size());
    EXPECT_EQ(0u, reply.rfind("210 rock 8409a30a", 0));
}

TEST_F(LookupWinInet, NoServerListening) {
    // Port 1 has no listener: the connection fails, the command fails with the system's words for
    // it, and there is no reply.
    EXPECT_EQ(-1, Send("HELP", 1));
    EXPECT_EQ("", reply);
    EXPECT_FALSE(status.text.empty());
    EXPECT_NE("Timeout ....", status.text);
    EXPECT_FALSE(Query(1));
}

}  // namespace
}  // namespace discdeck

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
