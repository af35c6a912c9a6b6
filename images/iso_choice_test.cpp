#include "images/iso_choice.h"

#include "app/test_support/machine_fixture.h"

#include <gtest/gtest.h>
#include <json/json.h>

namespace qnb::images {
namespace {

struct Stored {
    bool localImage;
    std::string imagePath;
    int wimPart;
    bool operator==(const Stored& o) const {
        return localImage == o.localImage && imagePath == o.imagePath && wimPart == o.wimPart;
    }
};

std::ostream& operator<<(std::ostream& out, const Stored& s) {
    return out << s.localImage << " " << s.imagePath << " " << s.wimPart;
}

TEST(IsoChoice, TheCataloguePageStoresAnAcceptedIsoInTheSettingsFile) {
    test::MachineFixture machine(test::MachineJson("one-disk-c-d"));
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    auto stored = [&] {
        Json::Value root;
        EXPECT_TRUE(Json::Reader().parse(machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), root));
        return Stored{root["bLocalImage"].asBool(), root["strImagePath"].asString(), root["nWIMPart"].asInt()};
    };
    const std::string iso = "E:\\IMAGES\\WIN10.ISO";
    struct Case {
        IsoChoice choice;
        bool stores;
        Stored after;
    } cases[] = {
        {{1, true, 4}, true, {true, iso, 4}},
        {{0, false, 0}, false, {true, iso, 4}},   // cancelled: the earlier choice stays
        {{2, true, 0}, false, {true, iso, 4}},    // unreadable list: nothing stored
        {{1, true, 1}, true, {true, iso, 1}},
        {{1, false, 0}, true, {true, iso, 0}},    // no install.wim: no number of an earlier ISO stays
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoreIsoChoice(context, iso, c.choice), c.stores) << c.choice.result;
        EXPECT_EQ(stored(), c.after) << c.choice.result << " " << c.choice.imageIndex;
    }
}

}  // namespace
}  // namespace qnb::images
