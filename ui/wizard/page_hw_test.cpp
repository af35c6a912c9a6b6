// The hardware page in the wizard's layout, natively: the check runs as a
// job whose pauses pass at once; its news reach the controls only when the
// window thread takes them.
#include "ui/wizard/page_hw.h"

#include "app/test_support/machine_fixture.h"
#include "jobs/test_support/instant_clock.h"
#include "jobs/test_support/job_events.h"
#include "ui/wizard/test_support/wizard_tree.h"
#include "uikit/controls/gif_anim.h"
#include "uikit/controls/list.h"
#include "uikit/controls/progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qnb::ui {
namespace {

using qnb::test::InstantClock;
using qnb::test::MachineFixture;
using qnb::test::MachineJson;

class HardwarePage : public ::testing::Test {
protected:
    HardwarePage() {
        inspect::HardwareSources sources;
        sources.initialise = [this] {
            ++initialisations;
            context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders());
        };
        sources.processorName = [] { return std::optional<std::string>("Test CPU"); };
        sources.memory = [] { return std::optional<inspect::MemoryStatus>({8ull << 30, 45}); };
        page = std::make_unique<CPageHW>(context, std::move(sources), clock);
        w.pump.AddVirtualWnd(CPageHW::kVirtualWnd, page.get());
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        auto* list = w.Get<uikit::CListUI>("list_hw");
        for (int i = 0; i < list->GetCount(); ++i) {
            rows.push_back(uikit::ControlTree::FindIn(list->GetItemAt(i), "hwkey")->GetText() + "=" +
                           uikit::ControlTree::FindIn(list->GetItemAt(i), "hwvalue")->GetText());
        }
        return rows;
    }
    int Progress() const { return w.Get<uikit::CProgressUI>("prog_hardware")->GetValue(); }
    bool Playing() const { return w.Get<uikit::CGifAnimUI>("loading_hardware")->IsPlaying(); }

    MachineFixture machine{MachineJson("one-disk-c-d")};
    std::atomic<int> initialisations{0};
    AppContext context;
    InstantClock clock;
    qnb::test::JobEvents events;
    test::WizardTree w;
    std::unique_ptr<CPageHW> page;
};

const std::vector<std::string> kRows = {"网络链接=未链接", "处理器=Test CPU", "内存=8.0GB(已用45%)",
                                        "操作系统=Windows 10 专业版 64位", "系统盘=C:", "分区表=MBR",
                                        "启动分区=0:1", "启动方式=Legacy BIOS", "硬盘=ATA ST500DM002"};

TEST_F(HardwarePage, TheCheckWaitsForTheWindowAndItsNewsForTheWindowThread) {
    page->Start();
    EXPECT_TRUE(page->Checking());
    EXPECT_FALSE(page->CurrentJob()->Finished()) << "waiting for the window";
    page->SetReady(w.tree, &events);
    ASSERT_TRUE(events.WaitForFinished(1));
    EXPECT_TRUE(Rows().empty()) << "nothing applied before the window thread takes it";
    EXPECT_EQ(w.Text("label_doing"), "准备检测");

    page->TakeNews();
    EXPECT_EQ(Rows(), kRows);
    EXPECT_EQ(w.Text("label_doing"), "运行环境检测完成");
    EXPECT_EQ(Progress(), 100);
    EXPECT_FALSE(page->Checking());
    EXPECT_FALSE(Playing());
    EXPECT_TRUE(w.Enabled("btn_recheck") && w.Enabled("btn_next"));
    auto* network = dynamic_cast<uikit::CLabelUI*>(
        uikit::ControlTree::FindIn(w.Get<uikit::CListUI>("list_hw")->GetItemAt(0), "hwvalue"));
    EXPECT_EQ(network->GetTextColor(), kHardwareHighlight) << "not connected is highlighted";
    EXPECT_TRUE(context.IsReady()) << "initialised by the check";
}

TEST_F(HardwarePage, ACheckAgainEmptiesTheListAndFillsItInTheSameOrder) {
    page->Start();
    page->SetReady(w.tree, &events);
    ASSERT_TRUE(events.WaitForFinished(1));
    page->TakeNews();

    w.Click("btn_recheck");
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Progress(), 0);
    EXPECT_TRUE(Playing());
    EXPECT_FALSE(w.Enabled("btn_recheck") || w.Enabled("btn_next")) << "until this check ends";
    ASSERT_TRUE(events.WaitForFinished(2));
    page->TakeNews();
    EXPECT_EQ(Rows(), kRows);
    EXPECT_TRUE(w.Enabled("btn_next"));
}

TEST_F(HardwarePage, AStopEndsACheckThatStillWaitsForItsWindow) {
    page->Start();
    ASSERT_NE(page->CurrentJob(), nullptr);
    page->Stop();  // the wizard goes before its window was made: the check ends and is joined
    EXPECT_EQ(page->CurrentJob(), nullptr);
    EXPECT_EQ(initialisations, 0) << "the machine is looked at only once the window exists";
}

}  // namespace
}  // namespace qnb::ui
