// RTF through the document into whole HTML pages, byte for byte. The
// bodies and plain texts of more RTF examples are in
// tests/data/rtf_examples.txt (tests/richtext/rtf_examples_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "richtext/output_sink.h"
#include "richtext/rich_doc.h"
#include "richtext/rtf_builder.h"
#include "support/rtf_loading.h"

namespace tovra {
namespace {

// The control as the engine uses it: cleared and reset before every entry.
class Control {
public:
    Control() { props_.UseConversionSettings(); }

    void Load(const std::string& rtf) {
        ASSERT_EQ(test_support::ReloadRtf(doc_.RDData(), *doc_.Style(), props_, rtf), 0);
    }
    std::string Html(const char* title) {
        std::string out;
        StringSink sink(out);
        EXPECT_TRUE(doc_.SaveHtml(sink, "", title, "", {}));
        return out;
    }

private:
    TRichDoc doc_;
    TRDRTFReaderProperties props_;
};

const char kHead[] = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                     "{\\colortbl ;\\red0\\green0\\blue255;\\red128\\green0\\blue0;}\\fs20 ";

std::string Rtf(const std::string& body) { return kHead + body + "}"; }

TEST(RtfToHtml, EmptyEntryIsTheBarePage) {
    Control c;
    c.Load("{\\rtf1}");
    EXPECT_EQ(c.Html("Aaron"),
              "<HTML><HEAD><TITLE>Aaron</TITLE>\r\n"
              "</HEAD>\r\n"
              "<BODY bgcolor=#FFFFFF leftmargin=5 topmargin=5 rightmargin=5 bottommargin=5>\r\n"
              "<FONT size=2 color=#000000 face=\"Arial\">\r\n"
              "</FONT>\r\n"
              "</BODY></HTML>\r\n");
}

TEST(RtfToHtml, DictionaryEntryWithHeading) {
    Control c;
    c.Load(Rtf("One\\par {\\b\\cf1 Two}\\par"));
    EXPECT_EQ(c.Html("Aaron"),
              "<HTML><HEAD><TITLE>Aaron</TITLE>\r\n"
              "</HEAD>\r\n"
              "<BODY bgcolor=#FFFFFF leftmargin=5 topmargin=5 rightmargin=5 bottommargin=5>\r\n"
              "<FONT size=2 color=#000000 face=\"Arial\">\r\n"
              "<DIV>One</DIV>\r\n"
              "<DIV><FONT color=#0000FF><B>Two</B></FONT></DIV>\r\n"
              "</FONT>\r\n"
              "</BODY></HTML>\r\n");
}

}  // namespace
}  // namespace tovra
