// The help page pattern: its bytes, its fixed frame, its sections and its links.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/Resources.h"

namespace quillora {
namespace {

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
}

std::size_t Count(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

class HelpPagePatternTest : public ::testing::Test {
protected:
    std::string_view pattern = resources::HelpPagePattern();
    std::vector<std::string> lines = Lines(pattern);

    // The index of the line, searched from the given line on; -1 when absent.
    int IndexOf(std::string_view line, int from = 0) const {
        for (int i = from; i < static_cast<int>(lines.size()); ++i)
            if (lines[static_cast<std::size_t>(i)] == line) return i;
        return -1;
    }
};

TEST_F(HelpPagePatternTest, IsPrintableAsciiWithCrLfAfterEveryLineButTheLast) {
    ASSERT_FALSE(pattern.empty());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(pattern[i]);
        if (c == '\r') {
            ASSERT_LT(i + 1, pattern.size()) << "carriage return at the end";
            EXPECT_EQ(pattern[i + 1], '\n') << "carriage return without line feed at " << i;
        } else if (c == '\n') {
            EXPECT_TRUE(i > 0 && pattern[i - 1] == '\r') << "bare line feed at " << i;
        } else {
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << static_cast<int>(c) << " at " << i;
        }
    }
    EXPECT_EQ(pattern.substr(0, 2), "\r\n") << "begins with an empty line";
    EXPECT_NE(pattern.back(), '\n') << "the last line has no line end";
}

TEST_F(HelpPagePatternTest, HoldsSixPlaceholdersAndNoOtherPercentSign) {
    EXPECT_EQ(Count(pattern, "%s"), 6u);
    EXPECT_EQ(Count(pattern, "%"), 6u);
}

TEST_F(HelpPagePatternTest, BeginsAndEndsWithTheFixedFrame) {
    const std::vector<std::string> head = {
        "",
        "<HTML><HEAD><TITLE>%s</TITLE></HEAD>",
        "<BODY bgcolor=#e0e0e0><CENTER>",
        "<TABLE bgcolor=#ffffff border=0 width=700 cellPadding=0 cellSpacing=0><TR><TD align=center>",
        "<BR><BR><BR>",
        "<TABLE border=0 cellPadding=0 cellSpacing=0 width=600><TR><TD align=center>",
        "<FONT face=\"Arial\" color=#b00000 size=6>%s<BR></FONT>",
        "<FONT face=\"Arial\" color=#000000 size=2><BR><b>Another quality tool from<br><br><a href=\"%s\">%s</a></b><BR></FONT>",
        "</TD></TR><TR><TD>",
        "",
        "",
        "<BR><BR><BR><CENTER><IMG SRC=\"temp_vodadir_box.gif\"></CENTER>",
        "<BR><BR><BR><FONT size=2 face=\"Arial\" color=\"#000000\">",
        "<b>Creating Your Template</b>",
    };
    const std::vector<std::string> tail = {
        "For more useful tools to help you generate <b>maximum</b> revenue from your newsletter...",
        "</FONT>",
        "<BR><BR>",
        "",
        "<CENTER>",
        "<BR><a href=\"%s\"><FONT face=\"Arial\" color=#000000 size=2>Click Here For More Software From %s</FONT></a>",
        "</CENTER><BR><BR>",
        "",
        "</TD></TR></TABLE>",
        "<BR></TD></TR></TABLE>",
        "</CENTER></BODY></HTML>",
    };
    ASSERT_GT(lines.size(), head.size() + tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(tail.size()), lines.end()), tail);
}

struct Section {
    const char* heading;
    std::size_t paragraphs;
};

TEST_F(HelpPagePatternTest, HasTheSixSectionsInOrderWithTheirSeparators) {
    const Section sections[] = {
        {"<b>Creating Your Template</b>", 10},
        {"<b>Inserting The Article Title And Current Date</b>", 7},
        {"<b>Creating Your Index</b>", 9},
        {"<b>Adding Articles To Your Archive</b>", 15},
        {"<b>Master Resale Rights</b>", 2},
    };
    const std::string lastHeading = "<font color=#b00000><b>Get More Quality Software For Your Business</b></font>";
    std::vector<int> starts;
    int from = 0;
    for (const auto& section : sections) {
        const int at = IndexOf(section.heading, from);
        ASSERT_GE(at, 0) << section.heading;
        starts.push_back(at);
        from = at + 1;
    }
    const int last = IndexOf(lastHeading, from);
    ASSERT_GE(last, 0);
    starts.push_back(last);

    for (std::size_t s = 0; s < std::size(sections); ++s) {
        SCOPED_TRACE(sections[s].heading);
        const auto at = static_cast<std::size_t>(starts[s]);
        EXPECT_EQ(lines[at + 1], "<br><br>");
        if (s > 0) {
            EXPECT_EQ(lines[at - 1], "<br><br><br><br>");
            EXPECT_EQ(lines[at - 2], "") << "empty source lines before the section";
        }
        // Paragraphs are parted by lines of their own holding <br><br>; the section ends where
        // the next one's separator begins.
        std::size_t end = static_cast<std::size_t>(starts[s + 1]) - 1;
        while (end > at && (lines[end] == "" || lines[end] == "<br><br><br><br>" || lines[end] == "<br><br><br><br><br>")) --end;
        if (s + 1 < std::size(sections)) {
            EXPECT_EQ(lines[end + 1], "") << "the paragraphs end before empty lines";
        }
        std::size_t separators = 0;
        for (std::size_t i = at + 2; i <= end; ++i) separators += lines[i] == "<br><br>";
        EXPECT_EQ(separators + 1, sections[s].paragraphs);
    }

    const auto sixth = static_cast<std::size_t>(last);
    EXPECT_EQ(lines[sixth - 1], "<br><br><br><br><br>");
    EXPECT_EQ(lines[sixth + 1], "<br><br>");
    EXPECT_EQ(lines[sixth + 2], "For more useful tools to help you generate <b>maximum</b> revenue from your newsletter...");
}

TEST_F(HelpPagePatternTest, TheResaleSectionsParagraphsBeginEmpty) {
    const int at = IndexOf("<b>Master Resale Rights</b>");
    ASSERT_GE(at, 0);
    const auto i = static_cast<std::size_t>(at);
    ASSERT_LT(i + 7, lines.size());
    EXPECT_EQ(lines[i + 1], "<br><br>");
    EXPECT_EQ(lines[i + 2], "") << "first paragraph empty";
    EXPECT_EQ(lines[i + 3], "<br><br>");
    EXPECT_EQ(lines[i + 4], "") << "second paragraph's first line empty";
    EXPECT_NE(lines[i + 5].find("bonus"), std::string::npos);
    EXPECT_EQ(lines[i + 6], "<br><br><br><br><br>");
}

TEST_F(HelpPagePatternTest, HoldsEveryQuotedSentence) {
    const char* sentences[] = {
        "Before using this software, you must create a special web page using your usual HTML editor.",
        "&quot;INSERT ARTICLE HERE&quot;",
        "This is usually an HTML file, but you can use a PHP file or any other type of file.",
        "This web page is referred to as your &quot;template&quot;.",
        "This software will create your article pages by taking a copy of the template and replacing &quot;INSERT ARTICLE "
        "HERE&quot; with the actual article.\r\n<br><br>",
        "&quot;INSERT TITLE HERE&quot;",
        "&lt;TITLE&gt;",
        "&lt;/TITLE&gt;",
        "&quot;INSERT DATE HERE&quot;",
        "as many times as you want and all instances will be replaced automatically.",
        "This software can automatically maintain an article index for you if you wish.",
        "&quot;INSERT INDEX HERE&quot;",
        "The index page must be the same type of file as your template and must be called &quot;index&quot;.",
        "\r\nFor example if your template is called \"template.html\", your index must be called &quot;index.html&quot;.",
        "\r\nIf your template is called \"template.php\", your index must be called &quot;index.php&quot;.",
        "Each article will be numbered sequentially, starting at 1 (you can enter a different number into the <b>Article "
        "Number</b> box if you wish).",
        "The number is automatically incremented after each article is created and stored for subsequent use.",
        "<b>Article Title</b>",
        "<b>Article Text</b>",
        "<b>Paste</b>",
        "If the article text is formatted to a particular column width, this will be preserved by the software.",
        "<b>Automatically update article index</b>",
        "<b>Create</b>",
        "The software will provide a default name of &quot;articlexxxx&quot; where xxxx is the article number.",
        "<b>Save</b>",
        "For more useful tools to help you generate <b>maximum</b> revenue from your newsletter...",
    };
    for (const char* sentence : sentences) EXPECT_NE(pattern.find(sentence), std::string_view::npos) << sentence;
}

TEST_F(HelpPagePatternTest, HasSixExampleLinksToTheMakersSite) {
    const std::string_view text = ">click here</a>";
    EXPECT_EQ(Count(pattern, text), 6u);
    std::vector<std::string> targets;
    for (std::size_t end = pattern.find(text); end != std::string_view::npos; end = pattern.find(text, end + 1)) {
        const std::size_t href = pattern.rfind("<a href=\"", end);
        ASSERT_NE(href, std::string_view::npos);
        const std::size_t start = href + 9;
        const std::size_t close = pattern.find('"', start);
        ASSERT_LT(close, end);
        targets.emplace_back(pattern.substr(start, close - start));
    }
    for (const auto& target : targets) EXPECT_EQ(target.rfind("http://www.corvalis.example/", 0), 0u) << target;
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(std::unique(targets.begin(), targets.end()), targets.end()) << "six different example pages";
}

}  // namespace
}  // namespace quillora
