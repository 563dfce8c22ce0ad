#pragma once
// Every length the panel measures, in DIPs, named once: the layout sizes the panel with them and
// the draw plan places its items with them. Each is scaled on its own at the frame's DPI.

#include <cstdint>

namespace panel::metrics {

// The frame around the content.
inline constexpr std::int64_t BORDER_INSET = 3;  // outline to content on the left and right
inline constexpr std::int64_t BORDER_THICKNESS = 1;
inline constexpr std::int64_t SIDE_PADDING = 10;  // inside the inset, left and right
inline constexpr std::int64_t RIGHT_EXTRA = 8;    // after the last column
inline constexpr std::int64_t TOP_PADDING = 14;   // above the content, with SECTION_TOP below it
inline constexpr std::int64_t SECTION_TOP = 6;    // from a section's top to its header
inline constexpr std::int64_t EMPTY_CONTENT_HEIGHT = 20;

// A section: its header, then per account a label line and one row per usage window.
inline constexpr std::int64_t HEADER_HEIGHT = 20;
inline constexpr std::int64_t HEADER_DOT = 7;
inline constexpr std::int64_t HEADER_DOT_GAP = 6;
inline constexpr std::int64_t LABEL_LINE_HEIGHT = 20;  // the account's label; also the "+N more" line
inline constexpr std::int64_t LABEL_LINE_GAP = 6;
inline constexpr std::int64_t BAR_ROW_HEIGHT = 13;
inline constexpr std::int64_t BAR_ROW_GAP = 10;
inline constexpr std::int64_t ACCOUNT_GAP = 8;
inline constexpr std::int64_t SECTION_GAP = 24;  // between sections, columns and rows
inline constexpr std::int64_t SEPARATOR_THICKNESS = 1;
inline constexpr std::int64_t SEPARATOR_INSET = 9;  // a vertical separator's ends from the panel's edges

// A bar row: label column, gap, bar track, gap, value text.
inline constexpr std::int64_t LABEL_COLUMN_MIN = 28;
inline constexpr std::int64_t LABEL_BAR_GAP = 10;
inline constexpr std::int64_t BAR_SEGMENTS = 5;  // the track is five segments of SEGMENT plus SEGMENT_GAP
inline constexpr std::int64_t BAR_SEGMENT = 10;
inline constexpr std::int64_t BAR_SEGMENT_GAP = 1;
inline constexpr std::int64_t BAR_VALUE_GAP = 4;
inline constexpr std::int64_t VALUE_COLUMN = 205;

// The character height of the text and header fonts.
inline constexpr std::int64_t FONT_HEIGHT = 12;

}  // namespace panel::metrics
