#include "tags/id3v2_write.h"

#include "tags/tag_write.h"

namespace corvane::tags {

WriteResult writeId3v2(FileIo& file, const SlotList& writeList, bool compact)
{
    TagChanges changes;
    changes.id3v2 = V2Change::Merge;
    changes.id3v2Entries = writeList;
    changes.compact = compact;
    return writeTags(file, changes);
}

WriteResult removeId3v2(FileIo& file)
{
    TagChanges changes;
    changes.id3v2 = V2Change::Remove;
    return writeTags(file, changes);
}

}  // namespace corvane::tags
