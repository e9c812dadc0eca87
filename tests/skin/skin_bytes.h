// Builds .she file bytes for the skin tests: a header and records, by default a complete skin.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint16_t kFirstColourTag = 0x0001;
inline constexpr std::uint16_t kLastColourTag = 0x0011;
inline constexpr std::uint16_t kFontFaceTag = 0x0020;
inline constexpr std::uint16_t kFontSizeTag = 0x0021;

struct Record {
    std::uint16_t tag;
    Bytes payload;
};

inline Bytes TextBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A colour per tag that no other tag has, so a field read into the wrong member shows.
inline Bytes TestColour(std::uint16_t tag) {
    return {static_cast<std::uint8_t>(tag * 13), static_cast<std::uint8_t>(255 - tag * 7),
            static_cast<std::uint8_t>(100 + tag)};
}

inline std::vector<Record> CompleteRecords() {
    std::vector<Record> records;
    for (std::uint16_t tag = kFirstColourTag; tag <= kLastColourTag; ++tag) {
        records.push_back({tag, TestColour(tag)});
    }
    records.push_back({kFontFaceTag, TextBytes("Tahoma")});
    records.push_back({kFontSizeTag, {9}});
    return records;
}

inline Bytes SkinBytes(const std::vector<Record>& records, std::uint16_t version = 1) {
    Bytes bytes = {'.',
                   'S',
                   'H',
                   'E',
                   0x00,
                   0x03,
                   static_cast<std::uint8_t>(version & 0xFF),
                   static_cast<std::uint8_t>(version >> 8)};
    for (const Record& record : records) {
        const std::size_t length = record.payload.size();
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(record.tag & 0xFF),
                                   static_cast<std::uint8_t>(record.tag >> 8),
                                   static_cast<std::uint8_t>(length & 0xFF),
                                   static_cast<std::uint8_t>(length >> 8)});
        bytes.insert(bytes.end(), record.payload.begin(), record.payload.end());
    }
    return bytes;
}

inline Bytes CompleteSkinBytes() {
    return SkinBytes(CompleteRecords());
}

// The complete skin with the payload of one record replaced.
inline std::vector<Record> WithRecord(std::uint16_t tag, Bytes payload) {
    std::vector<Record> records = CompleteRecords();
    for (Record& record : records) {
        if (record.tag == tag) record.payload = std::move(payload);
    }
    return records;
}

inline std::vector<Record> WithoutRecord(std::uint16_t tag) {
    std::vector<Record> records = CompleteRecords();
    std::erase_if(records, [tag](const Record& record) { return record.tag == tag; });
    return records;
}
