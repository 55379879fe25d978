// Entries and records: an entry owns and frees its records; the record base
// classes' serialised version; operation-kind identifiers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "RecordCounter.h"
#include "Recallo/OptGuid.h"

using namespace OperationManage;

TEST(Operation, StartsEmpty)
{
    Operation op;
    EXPECT_EQ(op.m_pParam, nullptr);
    EXPECT_EQ(op.m_pData, nullptr);
    EXPECT_TRUE(IsOptGuidEqual(op.m_Kind, OPTGUID{}));
    EXPECT_TRUE(op.m_strName.empty());
}

TEST(Operation, DestructorFreesBothRecordsOnce)
{
    RecordCounter::Reset();
    delete MakeOperation();
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 1);
    EXPECT_EQ(RecordCounter::DataDestroyed(), 1);
    EXPECT_EQ(RecordCounter::Alive(), 0);
    {
        Operation partial; // only a parameter record attached
        partial.m_pParam = new CountingParam;
    }
    EXPECT_EQ(RecordCounter::ParamsDestroyed(), 2);
    EXPECT_EQ(RecordCounter::Alive(), 0);
}

TEST(SerializableObject, BaseWritesItsVersionLittleEndian)
{
    CountingParam record;
    EXPECT_EQ(record.m_nVersion, 1);
    std::vector<unsigned char> out(9, 0xCC);
    record.m_nVersion = 0x01020304;
    record.SerializableObject::Serialize(out);
    EXPECT_EQ(out, (std::vector<unsigned char>{0x04, 0x03, 0x02, 0x01}));
}

TEST(IOptParam, BaseUnserializeRefusesInputShorterThanAVersion)
{
    CountingParam record;
    for (size_t size = 0; size < 4; ++size)
        EXPECT_FALSE(record.IOptParam::Unserialize(std::vector<unsigned char>(size, 1))) << size;
    EXPECT_TRUE(record.IOptParam::Unserialize({1, 0, 0, 0}));
    EXPECT_TRUE(record.IOptParam::Unserialize(std::vector<unsigned char>(20, 0)));
    EXPECT_EQ(record.m_nVersion, 1); // the base reads nothing into the record
    std::wstring name;
    record.GetClassName(name);
    EXPECT_EQ(name, L"CountingParam");
}

TEST(OptGuid, CopyAndCompare)
{
    const OPTGUID rotate = {0xC6BA3B5C, 0xA8D3, 0x43F8, {0xA2, 0x7A, 0x96, 0x95, 0x2C, 0x88, 0xF0, 0x77}};
    OPTGUID copy{};
    EXPECT_FALSE(IsOptGuidEqual(copy, rotate));
    OptGuidCopy(copy, rotate); // destination first
    EXPECT_TRUE(IsOptGuidEqual(copy, rotate));
    EXPECT_EQ(std::memcmp(&copy, &rotate, sizeof(OPTGUID)), 0);
    // A difference in any of the 16 bytes makes them unequal.
    for (size_t i = 0; i < sizeof(OPTGUID); ++i) {
        OPTGUID changed = rotate;
        reinterpret_cast<unsigned char*>(&changed)[i] ^= 0x01;
        EXPECT_FALSE(IsOptGuidEqual(changed, rotate)) << "byte " << i;
    }
}
