// The format page as both desktops have it: the run's figures and the
// percentage in the title while the write loop runs, their end, and the
// page put back as it was created.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/format_page.h"
#include "core/text.h"
#include "format/run_progress.h"
#include "support/fakes.h"

namespace orvella {
namespace {

class FakeWidgets final : public FormatPageWidgets {
 public:
  void SetBarPosition(int position) override { bar = position; }
  void SetBarState(ProgressState value) override { state = value; }
  void SetLabelText(FormatLabel label, const std::u16string& text) override { labels[label] = text; }
  std::u16string LabelText(FormatLabel label) override { return labels[label]; }
  void SetRunFiguresText(const std::u16string& text) override { figures = text; }
  void SetWindowTitle(const std::u16string& value) override { titles.push_back(value); }
  void AskForAttention() override { ++attentions; }
  void SetControlEnabled(FormatControl control, bool enabled) override { enabledStates[control] = enabled; }
  void FocusStop() override { ++stopFocused; }
  void SetChecks(bool quick, VerifyMethod method) override {
    quickWipe = quick;
    verify = method;
  }
  char16_t DecimalSeparator() override { return u','; }
  void ProcessPendingMessages() override { ++messageRuns; }
  void CloseWindow() override { ++closes; }

  int bar = -1;
  ProgressState state = ProgressState::Error;
  std::map<FormatLabel, std::u16string> labels;
  std::u16string figures = u"old figures";
  std::vector<std::u16string> titles;
  int attentions = 0;
  std::map<FormatControl, bool> enabledStates;
  int stopFocused = 0;
  bool quickWipe = true;
  VerifyMethod verify = VerifyMethod::Off;
  int messageRuns = 0;
  int closes = 0;
};

TEST(FormatPage, ARunShowsItsFiguresAndPercentageInTheTitleAndAsksForAttentionAtTheEnd) {
  FakeWidgets widgets;
  test::FakeClock clock;
  FormatPage page(widgets, clock);
  page.SetTitle(u"Orvella 4.30");
  page.SetProgressState(ProgressState::Normal);
  EXPECT_EQ(widgets.state, ProgressState::Normal);
  EXPECT_EQ(widgets.figures, u"");

  page.ShowPassProgress({RunPass::Writing, false, 1, 2, 15'000'000'000, 30'000'000'000, 3'000'000'000});
  EXPECT_EQ(widgets.titles.back(), u"50% - Orvella 4.30");
  EXPECT_TRUE(widgets.figures.starts_with(u"Writing 1 of 2   50,0%   " +
                                          BytesOfTotalText(15'000'000'000, 30'000'000'000, u',') + u"   elapsed "))
      << TextToUtf8(widgets.figures);

  page.SetProgressState(ProgressState::Paused);
  EXPECT_EQ(widgets.state, ProgressState::Paused);
  EXPECT_EQ(widgets.titles.back(), u"Orvella 4.30");
  EXPECT_NE(widgets.figures.find(u"took "), std::u16string::npos);
  EXPECT_EQ(widgets.attentions, 1);

  // A state change outside a run ends nothing.
  page.SetProgressState(ProgressState::Error);
  EXPECT_EQ(widgets.attentions, 1);
}

// The figures count the program's clock, as the log's stamps do: a
// simulated run (the demo's, a test's) shows the time its log shows.
TEST(FormatPage, TheFiguresCountTheProgramsClock) {
  FakeWidgets widgets;
  test::FakeClock clock;
  FormatPage page(widgets, clock);
  page.SetProgressState(ProgressState::Normal);
  clock.Advance(90'000);
  page.ShowPassProgress({RunPass::Writing, false, 1, 1, 50, 100, 0});
  EXPECT_NE(widgets.figures.find(u"   elapsed 1 min 30 s"), std::u16string::npos) << TextToUtf8(widgets.figures);
  clock.Advance(30'000);
  page.SetProgressState(ProgressState::Paused);
  EXPECT_TRUE(widgets.figures.ends_with(u"took 2 min 00 s")) << TextToUtf8(widgets.figures);
}

// Stop leaves its mark on the end figures: where the run stood when it
// stopped, not a plain "took", which reads like an ending by design.
TEST(FormatPage, AStoppedRunSaysStoppedAndWhere) {
  FakeWidgets widgets;
  test::FakeClock clock;
  FormatPage page(widgets, clock);
  page.SetProgressState(ProgressState::Normal);
  page.ShowPassProgress({RunPass::ReadingBack, true, 2, 2, 1'000, 4'000, 0});
  page.ShowStopped();
  page.SetProgressState(ProgressState::Paused);
  EXPECT_TRUE(widgets.figures.starts_with(u"Stopped at 25,0% (Reading back 2 of 2 (sample))   1.000 bytes of 4.000 bytes   took "))
      << TextToUtf8(widgets.figures);

  // The next run is not stopped until Stop is pressed again.
  page.SetProgressState(ProgressState::Normal);
  page.ShowPassProgress({RunPass::Writing, false, 1, 1, 10, 100, 0});
  page.SetProgressState(ProgressState::Paused);
  EXPECT_FALSE(widgets.figures.starts_with(u"Stopped")) << TextToUtf8(widgets.figures);
}

// During a purge nothing counts bytes: the figures' place says why Stop
// is disabled, until the run's time taken replaces it.
TEST(FormatPage, ANoteStandsInTheFiguresPlaceUntilTheRunEnds) {
  FakeWidgets widgets;
  test::FakeClock clock;
  FormatPage page(widgets, clock);
  page.SetProgressState(ProgressState::Normal);
  page.ShowNote(u"Stop is disabled: the drive erases itself.");
  EXPECT_EQ(widgets.figures, u"Stop is disabled: the drive erases itself.");
  page.SetProgressState(ProgressState::Paused);
  EXPECT_TRUE(widgets.figures.starts_with(u"took ")) << TextToUtf8(widgets.figures);
}

TEST(FormatPage, ClearingPutsThePageBackAsCreated) {
  FakeWidgets widgets;
  test::FakeClock clock;
  FormatPage page(widgets, clock);
  page.SetTitle(u"Orvella 4.30");
  page.SetProgressState(ProgressState::Normal);
  page.ShowPassProgress({RunPass::Writing, false, 1, 1, 10, 100, 0});
  page.SetCaption(FormatLabel::Speed, u"87,3 MB/s");
  page.SetProgressPosition(42);

  page.Clear();
  EXPECT_EQ(widgets.bar, 0);
  EXPECT_EQ(widgets.state, ProgressState::Normal);
  for (const FormatLabel label : {FormatLabel::CurrentPercent, FormatLabel::CurrentPosition, FormatLabel::Speed})
    EXPECT_EQ(page.Caption(label), u"");
  EXPECT_EQ(widgets.figures, u"");
  EXPECT_EQ(widgets.titles.back(), u"Orvella 4.30");
  EXPECT_FALSE(widgets.quickWipe);
  EXPECT_EQ(widgets.verify, VerifyMethod::Sample);

  // The run figures start afresh: ending a state now alerts nobody.
  page.SetProgressState(ProgressState::Paused);
  EXPECT_EQ(widgets.attentions, 0);
}

TEST(FormatPage, PassesTheProcedureOnToTheControls) {
  FakeWidgets widgets;
  test::FakeClock clock;
  FormatPage page(widgets, clock);
  page.SetEnabled(FormatControl::Stop, true);
  page.FocusStop();
  page.ProcessPendingMessages();
  page.CloseWindow();
  EXPECT_TRUE(widgets.enabledStates.at(FormatControl::Stop));
  EXPECT_EQ(widgets.stopFocused, 1);
  EXPECT_EQ(widgets.messageRuns, 1);
  EXPECT_EQ(widgets.closes, 1);
}

}  // namespace
}  // namespace orvella
