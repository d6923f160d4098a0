#include "CoreScreensFixture.h"
#include "screens/core/StoredChoice.h"

namespace busdesk::test {
namespace {

enum class Fruit { None, Apple, Pear };

using StoredChoiceTest = CoreScreensTest;

const StoredChoice<Fruit>& fruits() {
    static const StoredChoice<Fruit> choice{"Fruit",
                                            {
                                                {Fruit::None, "", "无（%1）"},
                                                {Fruit::Apple, "apple", "苹果"},
                                                {Fruit::Pear, "pear", "Pear", false},
                                            }};
    return choice;
}

TEST_F(StoredChoiceTest, EachChoiceStoresItsStringAndTheDefaultStoresNothing) {
    EXPECT_EQ(fruits().stored(), Fruit::None);
    fruits().store(Fruit::Pear);
    EXPECT_EQ(settingsOnDisk()["Fruit"], "pear");
    EXPECT_EQ(fruits().stored(), Fruit::Pear);
    fruits().store(Fruit::Apple);
    EXPECT_EQ(fruits().stored(), Fruit::Apple);
    fruits().store(Fruit::None);
    EXPECT_FALSE(settingsOnDisk().contains("Fruit"));
    EXPECT_EQ(fruits().stored(), Fruit::None);
    // A value that is no choice leaves the store alone.
    fruits().store(Fruit::Pear);
    fruits().store(static_cast<Fruit>(7));
    EXPECT_EQ(settingsOnDisk()["Fruit"], "pear");
}

// An edited file: anything that is not a choice's string, the empty one included, is the default.
TEST_F(StoredChoiceTest, AStringNoChoiceHasReadsAsTheDefaultAndIsKeptAsItIs) {
    for (const char* text : {"", "Apple", "apple ", "banana"}) {
        PublicMethod::setObject(text, "Fruit");
        EXPECT_EQ(fruits().stored(), Fruit::None) << text;
        EXPECT_EQ(fruits().storedString(), std::optional<std::string>(text));
    }
    EXPECT_EQ(fruits().valueFor("apple"), Fruit::Apple);
}

TEST_F(StoredChoiceTest, TextsInOrderWithPlacesFilledAndOwnNamesAsWritten) {
    EXPECT_EQ(fruits().values(), (std::vector<Fruit>{Fruit::None, Fruit::Apple, Fruit::Pear}));
    EXPECT_EQ(fruits().text(Fruit::None, {"3"}), "无（3）");
    EXPECT_EQ(fruits().text(Fruit::Apple), "苹果");
    EXPECT_EQ(fruits().text(Fruit::Pear, {"3"}), "Pear");
    EXPECT_EQ(fruits().text(static_cast<Fruit>(7)), "");
}

}  // namespace
}  // namespace busdesk::test
