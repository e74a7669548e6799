// Loading RTF into a document as the conversion does, entry after entry,
// with the document's invariants checked after every load.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/rtf_builder.h"
#include "richtext/style_sheet.h"

namespace tovra::test_support {

// Fails the test when `doc` breaks one of its invariants. The failure is
// fatal, so loops over many inputs can stop on HasFatalFailure().
inline void ExpectDocumentInvariants(const TCustomRDData& doc) {
    std::string problem;
    ASSERT_TRUE(doc.CheckInvariants(&problem)) << "broken document invariant after loading: " << problem;
}

// LoadRtfStatus into `doc`, then the invariant check; returns the status.
inline uint8_t LoadRtfChecked(TCustomRDData& doc, TRDRTFReaderProperties& props, std::string_view rtf) {
    const uint8_t status = LoadRtfStatus(doc, &props, rtf);
    ExpectDocumentInvariants(doc);
    return status;
}

// What the engine does for every entry: clear the document, reset the text
// and paragraph styles, load.
inline uint8_t ReloadRtf(TCustomRDData& doc, TRDStyle& style, TRDRTFReaderProperties& props, std::string_view rtf) {
    doc.Clear();
    style.ResetTextStyles();
    style.ResetParaStyles();
    return LoadRtfChecked(doc, props, rtf);
}

// One document and style sheet used entry after entry.
struct LoadedDoc {
    TRDStyle style;
    TRichDocRDData doc{&style};
    TRDRTFReaderProperties props;

    LoadedDoc() { props.UseConversionSettings(); }

    uint8_t Load(std::string_view rtf) { return ReloadRtf(doc, style, props, rtf); }
};

// The RTF header most cases use: one font, Arial.
inline std::string InDocument(std::string_view body) {
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}") + std::string(body) + "}";
}

}  // namespace tovra::test_support
