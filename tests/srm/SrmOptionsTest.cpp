#include "SrmOptions.h"
#include "PassPatterns.h"

#include <gtest/gtest.h>

using namespace srm;

namespace {
SrmOptions parse(std::vector<std::string> arguments, bool expectOk = true)
{
    SrmOptions options;
    std::string error;
    EXPECT_EQ(parseArguments(arguments, options, error), expectOk) << error;
    return options;
}

int randomPasses(const std::vector<Pass> &passes)
{
    int count = 0;
    for (const Pass &pass : passes)
        count += pass.random ? 1 : 0;
    return count;
}
} // namespace

TEST(SrmOptions, TheFourFlagStringsOfTheWorker)
{
    struct Case
    {
        const char *flags;
        Method method;
        std::size_t passes;
    };
    for (const Case &c : {Case{"-fsvrz", Method::Single, 2}, Case{"-fEvrz", Method::ThreePass, 4},
                          Case{"-fmvrz", Method::SevenPass, 8}, Case{"-fvrz", Method::Gutmann, 36}}) {
        const SrmOptions options = parse({c.flags, "/tmp/x"});
        EXPECT_EQ(options.method, c.method) << c.flags;
        EXPECT_TRUE(options.force && options.verbose && options.recursive && options.zeroPass) << c.flags;
        EXPECT_EQ(options.paths, std::vector<std::string>{"/tmp/x"});
        const std::vector<Pass> passes = passesFor(options.method, options.zeroPass);
        ASSERT_EQ(passes.size(), c.passes) << c.flags;
        EXPECT_FALSE(passes.back().random) << "the -z pass comes last";
        EXPECT_EQ(passes.back().pattern[0], 0);
    }
    const SrmOptions plain = parse({"a", "b"});
    EXPECT_EQ(plain.method, Method::Gutmann);
    EXPECT_FALSE(plain.force || plain.verbose || plain.recursive || plain.zeroPass);
    EXPECT_EQ(passesFor(Method::Gutmann, false).size(), 35u);
}

TEST(SrmOptions, OptionsEndAtTheFirstPathOrDoubleDashAndErrorsAreReported)
{
    EXPECT_EQ(parse({"-s", "--", "-rf", "x"}).paths, (std::vector<std::string>{"-rf", "x"}));
    EXPECT_EQ(parse({"-s", "file", "-z"}).paths, (std::vector<std::string>{"file", "-z"}));
    EXPECT_EQ(parse({"-s", "-"}).paths, std::vector<std::string>{"-"});
    EXPECT_TRUE(parse({"--help"}).help);
    const SrmOptions batch = parse({"-fsvrz", "--batch"});
    EXPECT_TRUE(batch.batch && batch.paths.empty() && batch.recursive);
    EXPECT_EQ(parse({"-s", "--", "--batch"}).paths, std::vector<std::string>{"--batch"});
    EXPECT_FALSE(parse({"-s", "--", "--batch"}).batch);
    for (const std::vector<std::string> &bad : {std::vector<std::string>{"-q", "x"},
                                                {"--force", "x"},
                                                {"-fs"},
                                                {},
                                                {"-fsvrz", "--batch", "x"},
                                                {"--batch", "--", "x"}}) {
        SrmOptions options;
        std::string error;
        EXPECT_FALSE(parseArguments(bad, options, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(PassPatterns, GutmannIsFourRandomTwentySevenFixedFourRandom)
{
    const std::vector<Pass> passes = passesFor(Method::Gutmann, false);
    ASSERT_EQ(passes.size(), 35u);
    for (int i : {0, 1, 2, 3, 31, 32, 33, 34})
        EXPECT_TRUE(passes[std::size_t(i)].random) << i;
    EXPECT_EQ(randomPasses(passes), 8);
    std::vector<std::string> fixed;
    for (std::size_t i = 4; i < 31; ++i)
        fixed.push_back(passes[i].describe());
    const std::vector<std::string> expected{
        "0x55",           "0xAA",           "0x92 0x49 0x24", "0x49 0x24 0x92", "0x24 0x92 0x49",
        "0x00",           "0x11",           "0x22",           "0x33",           "0x44",
        "0x55",           "0x66",           "0x77",           "0x88",           "0x99",
        "0xAA",           "0xBB",           "0xCC",           "0xDD",           "0xEE",
        "0xFF",           "0x92 0x49 0x24", "0x49 0x24 0x92", "0x24 0x92 0x49", "0x6D 0xB6 0xDB",
        "0xB6 0xDB 0x6D", "0xDB 0x6D 0xB6"};
    EXPECT_EQ(fixed, expected);

    EXPECT_EQ(randomPasses(passesFor(Method::Single, false)), 1);
    EXPECT_EQ(passesFor(Method::ThreePass, false).size(), 3u);
    EXPECT_EQ(passesFor(Method::SevenPass, false).size(), 7u);
    EXPECT_STREQ(methodName(Method::SevenPass), "DoD 5220.22-M ECE");
    const std::string help = helpText();
    for (const char *name :
         {"HMG Infosec Standard 5", "U.S. Army AR380-19", "DoD 5220.22-M ECE", "Peter Gutmann's algorithm"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
}
