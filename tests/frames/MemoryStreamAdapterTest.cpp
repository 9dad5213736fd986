#include "frames/MemoryStreamAdapter.h"

#include <gtest/gtest.h>

#include <string>

namespace kamsel::frames {
namespace {

class MemoryStreamAdapterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        memory_.Write("0123456789", 10);
        memory_.SetPosition(4);
        adapter_ = com::MakeComObject<MemoryStreamAdapter>(memory_);
    }

    MemoryStream memory_;
    com::ComPtr<MemoryStreamAdapter> adapter_;
};

TEST_F(MemoryStreamAdapterTest, ReadsFromTheCurrentPositionOn) {
    char buffer[8] = {};
    com::ULONG read = 0;
    EXPECT_EQ(adapter_->Read(buffer, 4, &read), com::S_OK);
    EXPECT_EQ(std::string(buffer, read), "4567");
    EXPECT_EQ(memory_.Position(), 8u);
    EXPECT_EQ(adapter_->Read(buffer, 8, &read), com::S_OK);
    EXPECT_EQ(std::string(buffer, read), "89");
    EXPECT_EQ(adapter_->Read(buffer, 8, &read), com::S_OK);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(adapter_->Read(nullptr, 1, &read), com::STG_E_INVALIDPOINTER);
}

TEST_F(MemoryStreamAdapterTest, SeeksFromEachOrigin) {
    com::ULARGE_INTEGER position = 0;
    EXPECT_EQ(adapter_->Seek(0, com::STREAM_SEEK_CUR, &position), com::S_OK);
    EXPECT_EQ(position, 4u);
    EXPECT_EQ(adapter_->Seek(-3, com::STREAM_SEEK_END, &position), com::S_OK);
    EXPECT_EQ(position, 7u);
    EXPECT_EQ(adapter_->Seek(2, com::STREAM_SEEK_SET, &position), com::S_OK);
    EXPECT_EQ(memory_.Position(), 2u);
    EXPECT_EQ(adapter_->Seek(20, com::STREAM_SEEK_CUR, &position), com::S_OK); // past the end is allowed
    EXPECT_EQ(position, 22u);

    EXPECT_EQ(adapter_->Seek(-23, com::STREAM_SEEK_CUR, &position), com::STG_E_INVALIDFUNCTION);
    EXPECT_EQ(adapter_->Seek(0, 3, &position), com::STG_E_INVALIDFUNCTION);
    EXPECT_EQ(adapter_->Seek(INT64_MAX, com::STREAM_SEEK_END, &position), com::STG_E_INVALIDFUNCTION);
    EXPECT_EQ(memory_.Position(), 22u);
}

TEST_F(MemoryStreamAdapterTest, WritesAndResizesTheMemoryStream) {
    com::ULONG written = 0;
    EXPECT_EQ(adapter_->Write("ab", 2, &written), com::S_OK);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory_.Memory()), memory_.Size()), "0123ab6789");
    EXPECT_EQ(adapter_->SetSize(3), com::S_OK);
    EXPECT_EQ(memory_.Size(), 3u);

    com::STATSTG stat{};
    EXPECT_EQ(adapter_->Stat(&stat, com::STATFLAG_DEFAULT), com::S_OK);
    EXPECT_EQ(stat.cbSize, 3u);
    EXPECT_EQ(stat.type, com::STGTY_STREAM);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(adapter_->Stat(nullptr, com::STATFLAG_NONAME), com::STG_E_INVALIDPOINTER);
}

TEST_F(MemoryStreamAdapterTest, AnswersForItsInterfacesAndRefusesWhatItCannotDo) {
    com::ComPtr<com::ISequentialStream> sequential;
    com::ComPtr<com::IUnknown> unknown;
    EXPECT_EQ(adapter_.As(sequential), com::S_OK);
    EXPECT_EQ(adapter_.As(unknown), com::S_OK);
    com::IStream* clone = adapter_.Get();
    EXPECT_EQ(adapter_->Clone(&clone), com::E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(adapter_->CopyTo(adapter_.Get(), 1, nullptr, nullptr), com::E_NOTIMPL);
    EXPECT_EQ(adapter_->LockRegion(0, 1, 0), com::STG_E_INVALIDFUNCTION);
    EXPECT_EQ(adapter_->Commit(0), com::S_OK);
}

TEST_F(MemoryStreamAdapterTest, TheMemoryStreamOutlivesItsAdapter) {
    adapter_ = nullptr;
    EXPECT_EQ(memory_.Size(), 10u);
    char c = 0;
    EXPECT_EQ(memory_.Read(&c, 1), 1u);
    EXPECT_EQ(c, '4');
}

} // namespace
} // namespace kamsel::frames
