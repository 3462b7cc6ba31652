#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "lookup/CddbTransport.h"
#include "lookup/ThreadWorkerRunner.h"
#include "lookup/tests/LookupFakes.h"

namespace discdeck {
namespace {

using testing::Answer;
using testing::FakeAnswer;
using testing::FakeHttpGet;
using testing::Gate;
using testing::RecordingTextSink;
using testing::ScriptedRunner;
using testing::ShortWaitRunner;
using testing::WaitForAbandonedWorkers;

// What a command brought back, as the tests compare it.
struct Reply {
    std::string text;
    std::string Text() const { return text; }
};

// 0 when answered (the reply in reply), -1 otherwise (the reason in status, when there is one).
int SendTo(CddbTransport& transport, const std::string& command, RecordingTextSink* status, Reply& reply) {
    CddbAnswer answer = transport.Send(command, "cddb.test", 8880);
    reply.text = answer.reply;
    if (!answer.answered && status != nullptr) {
        status->SetText(answer.failure);
    }
    return answer.answered ? 0 : -1;
}

class LookupTransport : public ::testing::Test {
  protected:
    LookupTransport() : http(std::make_shared<FakeHttpGet>()) {
        auto owned = std::make_unique<ShortWaitRunner>();
        runner = owned.get();
        transport = std::make_unique<CddbTransport>(http, std::move(owned));
    }
    ~LookupTransport() override { EXPECT_TRUE(WaitForAbandonedWorkers(*transport)); }

    int Send(const std::string& command = "HELP") { return SendTo(*transport, command, &status, reply); }

    std::shared_ptr<FakeHttpGet> http;
    ShortWaitRunner* runner;
    std::unique_ptr<CddbTransport> transport;
    RecordingTextSink status;
    Reply reply;
};

TEST_F(LookupTransport, FinishedRequestLeavesTheBodyAndTellsTheWorkerWhatToFetch) {
    http->Push(Answer("210 OK, help follows\r\n.\r\n"));
    EXPECT_EQ(0, Send("CDDB LSCAT"));
    EXPECT_EQ("210 OK, help follows\r\n.\r\n", reply.Text());
    EXPECT_EQ("untouched", status.text);
    ASSERT_EQ(1u, http->Requests().size());
    const HttpRequest sent = http->Requests()[0];
    EXPECT_EQ("cddb.test", sent.server);
    EXPECT_EQ(8880, sent.port);
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=CDDB+LSCAT&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6", sent.path);
    EXPECT_EQ(kReplyBufferSize, http->Limits()[0]);
    EXPECT_EQ(std::vector<unsigned>{5000}, runner->requestedMs);
}

struct BodyCase {
    const char* name;
    bool ok;
    int status;
    size_t bodyLength;
    size_t expectedLength;
};

void PrintTo(const BodyCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupTransportBodies : public LookupTransport, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(LookupTransportBodies, OnlyTheFirst4096BytesOf2xxAnswers) {
    const BodyCase& c = GetParam();
    std::string body;
    for (size_t i = 0; i < c.bodyLength; ++i) {
        body += static_cast<char>('a' + i % 26);
    }
    FakeAnswer answer = Answer(body, c.status);
    answer.ok = c.ok;
    http->Push(answer);
    EXPECT_EQ(0, Send());
    EXPECT_EQ(body.substr(0, c.expectedLength), reply.Text());
    EXPECT_EQ("untouched", status.text);
}

INSTANTIATE_TEST_SUITE_P(Answers,
                         LookupTransportBodies,
                         ::testing::Values(BodyCase{"Ok", true, 200, 40, 40},
                                           BodyCase{"Status299", true, 299, 40, 40},
                                           BodyCase{"Exactly4096", true, 200, 4096, 4096},
                                           BodyCase{"Oversize", true, 200, 9000, 4096},
                                           BodyCase{"OneOver", true, 200, 4097, 4096},
                                           BodyCase{"NotFound", true, 404, 40, 0},
                                           BodyCase{"Redirect", true, 302, 40, 0},
                                           BodyCase{"Status199", true, 199, 40, 0},
                                           BodyCase{"Status300", true, 300, 40, 0}),
                         [](const auto& info) { return info.param.name; });

TEST_F(LookupTransport, EachRequestStartsFromAnEmptyReply) {
    http->Push(Answer("first answer"));
    http->Push(Answer("second", 500));
    ASSERT_EQ(0, Send());
    ASSERT_EQ("first answer", reply.Text());
    EXPECT_EQ(0, Send());
    EXPECT_EQ("", reply.Text());
}

// A server that cannot be reached, or whose answer breaks off, has not answered: the command fails
// as a time-out does, so the window reports it instead of treating it as an empty answer.
TEST_F(LookupTransport, FailedExchangesFailTheCommandWithTheirReason) {
    FakeAnswer refused = Answer("");
    refused.ok = false;
    refused.error = "The attempt to connect to the server failed.";
    http->Push(refused);
    EXPECT_EQ(-1, Send());
    EXPECT_EQ("The attempt to connect to the server failed.", status.text);
    EXPECT_EQ("", reply.Text());

    FakeAnswer brokenOff = Answer("210 OK, part of the body");
    brokenOff.ok = false;
    http->Push(brokenOff);
    status.text.clear();
    EXPECT_EQ(-1, Send());
    EXPECT_EQ("No connection ....", status.text);
    EXPECT_EQ("", reply.Text());

    FakeAnswer broken = Answer("partial");
    broken.throws = true;
    http->Push(broken);
    status.text.clear();
    EXPECT_EQ(-1, Send());
    EXPECT_EQ("No connection ....", status.text);
    EXPECT_EQ("", reply.Text());

    // An empty script: the exchange fails before any answer.
    EXPECT_EQ(-1, Send());
    EXPECT_EQ("", reply.Text());
    EXPECT_EQ(4u, http->Requests().size());

    // The next answer is a reply again.
    http->Push(Answer("210 back\r\n"));
    EXPECT_EQ(0, Send());
    EXPECT_EQ("210 back\r\n", reply.Text());
    EXPECT_EQ(0, transport->AbandonedWorkers());
}

TEST_F(LookupTransport, CommandThatCannotBeSentIsNotSent) {
    http->Push(Answer("never"));
    EXPECT_EQ(0, Send("CDDB READ rock\r\nHost: elsewhere"));
    EXPECT_EQ("", reply.Text());
    EXPECT_TRUE(http->Requests().empty());
}

TEST_F(LookupTransport, TimeOut) {
    auto gate = std::make_shared<Gate>();
    FakeAnswer late = Answer("210 late answer\r\n");
    late.gate = gate;
    http->Push(late);
    runner->expireNext = true;
    EXPECT_EQ(-1, Send());
    EXPECT_EQ("Timeout ....", status.text);
    EXPECT_EQ("", reply.Text());
    EXPECT_EQ(1, transport->AbandonedWorkers());
    gate->Open();
    ASSERT_TRUE(WaitForAbandonedWorkers(*transport));
    EXPECT_EQ("", reply.Text());
}

TEST_F(LookupTransport, LateAnswerNeverBecomesTheReplyOfALaterRequest) {
    // The late worker ends before the next request.
    auto firstGate = std::make_shared<Gate>();
    FakeAnswer first = Answer("200 rock 1 late\r\n");
    first.gate = firstGate;
    http->Push(first);
    runner->expireNext = true;
    ASSERT_EQ(-1, Send());
    firstGate->Open();
    ASSERT_TRUE(WaitForAbandonedWorkers(*transport));
    http->Push(Answer("not found", 404));
    EXPECT_EQ(0, Send());
    EXPECT_EQ("", reply.Text());

    // The late worker ends while the next request is being waited for.
    auto secondGate = std::make_shared<Gate>();
    FakeAnswer second = Answer("200 rock 2 late\r\n");
    second.gate = secondGate;
    http->Push(second);
    runner->expireNext = true;
    ASSERT_EQ(-1, Send());
    secondGate->WaitEntered();  // so the next answer goes to the next worker
    auto thirdGate = std::make_shared<Gate>();
    FakeAnswer third = Answer("210 on time\r\n");
    third.gate = thirdGate;
    http->Push(third);
    std::thread releaser([&] {
        thirdGate->WaitEntered();
        secondGate->Open();
        WaitForAbandonedWorkers(*transport);
        thirdGate->Open();
    });
    EXPECT_EQ(0, Send());
    releaser.join();
    EXPECT_EQ("210 on time\r\n", reply.Text());
}

TEST_F(LookupTransport, AbandonedWorkersAreBounded) {
    std::vector<std::shared_ptr<Gate>> gates;
    for (int i = 0; i < CddbTransport::kMaxAbandonedWorkers; ++i) {
        gates.push_back(std::make_shared<Gate>());
        FakeAnswer hanging = Answer("late");
        hanging.gate = gates.back();
        http->Push(hanging);
        runner->expireNext = true;
        ASSERT_EQ(-1, Send());
        gates.back()->WaitEntered();
    }
    EXPECT_EQ(CddbTransport::kMaxAbandonedWorkers, transport->AbandonedWorkers());

    // At the bound a command is refused as a time-out, without a new worker.
    status.text.clear();
    http->Push(Answer("210 would be fine"));
    EXPECT_EQ(-1, Send());
    EXPECT_EQ("Timeout ....", status.text);
    EXPECT_EQ(static_cast<size_t>(CddbTransport::kMaxAbandonedWorkers), http->Requests().size());

    for (auto& gate : gates) {
        gate->Open();
    }
    ASSERT_TRUE(WaitForAbandonedWorkers(*transport));
    EXPECT_EQ(0, Send());
    EXPECT_EQ("210 would be fine", reply.Text());
}

TEST(LookupTransportWait, FailedWaitShowsTheSystemMessageAndKeepsNoReply) {
    auto http = std::make_shared<FakeHttpGet>();
    http->Push(Answer("210 finished anyway"));
    CddbTransport transport(
        http, std::make_unique<ScriptedRunner>(WaitResult{WaitOutcome::WaitFailed, "The handle is invalid."}));
    RecordingTextSink status;
    Reply reply;
    EXPECT_EQ(-1, SendTo(transport, "VER", &status, reply));
    EXPECT_EQ("The handle is invalid.", status.text);
    EXPECT_EQ("", reply.Text());
    EXPECT_EQ(0, transport.AbandonedWorkers());
}

TEST(LookupTransportWait, WorkerThatCannotStart) {
    auto http = std::make_shared<FakeHttpGet>();
    CddbTransport transport(
        http, std::make_unique<ScriptedRunner>(WaitResult{WaitOutcome::NotStarted, "Not enough memory resources."}));
    RecordingTextSink status;
    Reply reply;
    EXPECT_EQ(-1, SendTo(transport, "VER", &status, reply));
    EXPECT_EQ("Not enough memory resources.", status.text);
    EXPECT_EQ("", reply.Text());
    EXPECT_TRUE(http->Requests().empty());
    EXPECT_EQ(0, transport.AbandonedWorkers());
}

TEST(LookupTransportWait, LateWorkerOutlivesTheTransport) {
    auto http = std::make_shared<FakeHttpGet>();
    auto gate = std::make_shared<Gate>();
    FakeAnswer late = Answer("late");
    late.gate = gate;
    http->Push(late);
    auto runner = std::make_unique<ShortWaitRunner>();
    runner->expireNext = true;
    auto transport = std::make_unique<CddbTransport>(http, std::move(runner));
    Reply reply;
    ASSERT_EQ(-1, SendTo(*transport, "VER", nullptr, reply));
    transport.reset();
    const std::weak_ptr<FakeHttpGet> watch = http;
    http.reset();
    EXPECT_FALSE(watch.expired());  // the worker still holds the HTTP layer
    gate->Open();
    for (int i = 0; i < 20000 && !watch.expired(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ("", reply.Text());
}

TEST(LookupThreadRunner, FinishedAndTimedOutWork) {
    ThreadWorkerRunner runner;
    std::atomic<bool> ran{false};
    WaitResult result = runner.StartAndWait([&] { ran = true; }, 5000);
    EXPECT_EQ(WaitOutcome::Finished, result.outcome);
    EXPECT_TRUE(ran);

    auto gate = std::make_shared<Gate>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    result = runner.StartAndWait(
        [gate, done] {
            gate->Pass();
            *done = true;
        },
        0);
    EXPECT_EQ(WaitOutcome::TimedOut, result.outcome);
    EXPECT_FALSE(*done);
    gate->Open();  // the worker was not ended: it finishes its own steps
    for (int i = 0; i < 20000 && !*done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(*done);
}

}  // namespace
}  // namespace discdeck
