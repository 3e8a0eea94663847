#include "plugin_fixture.h"
#include "ui/status_line.h"

namespace {

class StatusLine : public HostTest {
  protected:
    // The calls drawStatusLine makes at the present tick.
    std::vector<std::string> drawn() {
        sim::beginFrame();
        onFiber(drawStatusLine);
        return sim::describeCalls(sim::frameInProgress());
    }
    bool isShown() { return !drawn().empty(); }
};

std::vector<std::string> statusSequence(const std::string& text) {
    return {"setTextFont(0)",
            "setTextScale(0.55, 0.55)",
            "setTextColour(255, 255, 255, 255)",
            "setTextWrap(0, 1)",
            "setTextCentred(1)",
            "setTextDropShadow(0, 0, 0, 0, 0)",
            "setTextEdge(1, 0, 0, 0, 205)",
            "beginTextDisplay(\"STRING\")",
            "addPlainText(\"" + text + "\")",
            "drawPendingText(0.5, 0.9)"};
}

// The design's time, kStatusTime, from its constant: a test here restates no
// time of its own, so that only the test pinning the design's times fails
// when one is changed on purpose.
constexpr DWORD kTime = kStatusTime;

TEST_F(StatusLine, NothingIsDrawnBeforeTheFirstMessageAtAnyTick) {
    for (const DWORD tick :
         std::initializer_list<DWORD>{0, kTime - 1, 0xFFFFFFFF - 100, 0xFFFFFFFF}) {
        sim::setTick(tick);
        EXPECT_EQ(drawn(), std::vector<std::string>{}) << "drawn at tick " << tick;
    }
}

TEST_F(StatusLine, MessageShowsWithTenCallsForItsTime) {
    sim::setTick(20000);
    showStatus(" [Face]: 3,(10),0,(2)");
    EXPECT_EQ(statusUntil, 20000 + kTime) << "the message given at tick 20000 shows until";
    EXPECT_EQ(drawn(), statusSequence(" [Face]: 3,(10),0,(2)"));
    sim::setTick(20000 + kTime - 1);
    EXPECT_EQ(drawn(), statusSequence(" [Face]: 3,(10),0,(2)")) << "its last millisecond";
    sim::setTick(20000 + kTime);
    EXPECT_FALSE(isShown()) << "drawn once its kStatusTime (" << kTime << " ms) had passed";
    EXPECT_EQ(statusMessage, " [Face]: 3,(10),0,(2)") << "kept, only no longer drawn";
}

TEST_F(StatusLine, NewMessageReplacesTheTextAndRestartsTheTime) {
    sim::setTick(1000);
    showStatus("first");
    sim::setTick(1000 + kTime / 2);
    showStatus("first");
    sim::setTick(1000 + kTime / 2 + kTime - 1);
    EXPECT_EQ(drawn(), statusSequence("first")) << "the same text given again restarts its time";
    showStatus("second");
    sim::setTick(1000 + kTime / 2 + 2 * kTime - 2);
    EXPECT_EQ(drawn(), statusSequence("second"));
    sim::setTick(1000 + kTime / 2 + 2 * kTime - 1);
    EXPECT_FALSE(isShown()) << "drawn once the second message's time had passed";
}

TEST_F(StatusLine, EmptyTextIsStillDrawnForItsTime) {
    showStatus("");
    EXPECT_EQ(drawn(), statusSequence(""));
    sim::advance(kTime - 1);
    EXPECT_TRUE(isShown()) << "the empty text's last millisecond";
}

// Shown while less than kStatusTime has passed since the message was given:
// near tick 0, across the 2^32 wrap, and never again once the counter wraps
// round to an old message's neighbourhood.
TEST_F(StatusLine, ShownForItsTimeByElapsedTimeAtAnyTick) {
    constexpr DWORD kBeforeWrap = 0xFFFFFFFFu - 999; // 1000 ms before the counter wraps
    const std::tuple<DWORD, DWORD, bool> cases[] = {{0, 0, true},
                                                    {0, kTime - 1, true},
                                                    {100, 200, true},
                                                    {100, 100 + kTime - 1, true},
                                                    {100, 100 + kTime, false},
                                                    {kBeforeWrap, kTime - 1001, true},
                                                    {kBeforeWrap, kTime - 1000, false},
                                                    {100, 0x80000000u, false},
                                                    {100, 50, false},
                                                    {0xFFFFF000u, 0xFFFFF000u, true}};
    for (const auto& [given, tested, shown] : cases) {
        sim::setTick(given);
        showStatus("message");
        sim::setTick(tested);
        EXPECT_EQ(isShown(), shown)
            << "a message given at tick " << given << " and drawn at tick " << tested
            << " should be " << (shown ? "shown" : "gone") << " (kStatusTime " << kTime << " ms)";
    }
}

} // namespace
