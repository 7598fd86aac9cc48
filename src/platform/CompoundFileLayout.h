#pragma once

#include <QtGlobal>

// Fixed numbers of the compound file container (a FAT file system inside one
// file), shared by its reader and writer.
namespace CompoundFileLayout {

inline constexpr char signature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
inline constexpr int headerSize = 512;
inline constexpr int headerDifatEntries = 109;
inline constexpr int directoryEntrySize = 128;
inline constexpr int maxNameLength = 31; // UTF-16 units, without the terminator
inline constexpr int miniStreamCutoff = 4096;

inline constexpr quint32 maxRegularSector = 0xFFFFFFFA;
inline constexpr quint32 difatSector = 0xFFFFFFFC;
inline constexpr quint32 fatSector = 0xFFFFFFFD;
inline constexpr quint32 endOfChain = 0xFFFFFFFE;
inline constexpr quint32 freeSector = 0xFFFFFFFF;
inline constexpr quint32 noStream = 0xFFFFFFFF;

enum EntryType : quint8 { UnusedEntry = 0, StorageEntry = 1, StreamEntry = 2, RootEntry = 5 };

// Header field offsets.
enum HeaderField {
    MinorVersionField = 24,
    MajorVersionField = 26,
    ByteOrderField = 28,
    SectorShiftField = 30,
    MiniSectorShiftField = 32,
    DirectorySectorCountField = 40,
    FatSectorCountField = 44,
    FirstDirectorySectorField = 48,
    MiniStreamCutoffField = 56,
    FirstMiniFatSectorField = 60,
    MiniFatSectorCountField = 64,
    FirstDifatSectorField = 68,
    DifatSectorCountField = 72,
    HeaderDifatField = 76,
};

// Directory entry field offsets.
enum EntryField {
    NameField = 0,
    NameLengthField = 64,
    TypeField = 66,
    ColorField = 67,
    LeftSiblingField = 68,
    RightSiblingField = 72,
    ChildField = 76,
    ClassIdField = 80,
    StartSectorField = 116,
    StreamSizeField = 120,
};

} // namespace CompoundFileLayout
