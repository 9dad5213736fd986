#include "capture/DeviceEnumeration.h"

#include "platform/dshow/ClassRegistry.h"
#include "platform/dshow/ComApi.h"
#include "platform/dshow/LiveObject.h"
#include "platform/dshow/Uuids.h"
#include "platform/dshow/fake/FailingFactory.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kamsel::capture {
namespace {

using namespace kamsel::dshow;
using dshow::fake::FakeCamera;
using dshow::fake::FakeDeviceRegistry;

struct Lookup {
    HRESULT status = 0;
    QString name;
    com::ComPtr<dshow::IBaseFilter> filter;
};

class DeviceEnumerationTest : public ::testing::Test {
  protected:
    // Every reference taken during a walk is released: no object of the layer,
    // no task memory and no device object outlives the call.
    void TearDown() override {
        EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
        EXPECT_EQ(dshow::LiveTaskMemBlocks(), blocksBefore_);
        EXPECT_EQ(devices_.LiveDevices(), 0);
    }

    std::shared_ptr<FakeCamera> Add(const std::string& name) { return devices_.AddCamera(name); }

    static Lookup Find(const QString& text) {
        Lookup result;
        result.name = QStringLiteral("stale");
        result.status = FindCaptureDevice(text, result.name, &result.filter);
        return result;
    }

    static QStringList List(HRESULT* status = nullptr) {
        QStringList list{QStringLiteral("left over")};
        const HRESULT hr = ListCaptureDevices(list);
        if (status)
            *status = hr;
        return list;
    }

    FakeDeviceRegistry devices_;
    const long objectsBefore_ = dshow::LiveObjectCount();
    const long blocksBefore_ = dshow::LiveTaskMemBlocks();
};

TEST_F(DeviceEnumerationTest, ListsEveryNameAsGivenInEnumerationOrder) {
    Add("USB Camera");
    Add("  Blank Cam ");
    Add("USB Camera");
    HRESULT status = E_FAIL;
    EXPECT_EQ(List(&status), (QStringList{"USB Camera", "  Blank Cam ", "USB Camera"}));
    EXPECT_EQ(status, S_OK);
}

TEST_F(DeviceEnumerationTest, EmptyCategoryGivesFalseAndAnEmptyList) {
    HRESULT status = E_FAIL;
    EXPECT_TRUE(List(&status).isEmpty());
    EXPECT_EQ(status, S_FALSE);
    const Lookup none = Find("#1");
    EXPECT_EQ(none.status, E_FAIL);
    EXPECT_FALSE(none.filter);
    EXPECT_TRUE(none.name.isEmpty());
}

TEST_F(DeviceEnumerationTest, NamesThatAreNotValidTextAreListedSafely) {
    Add(std::string("Cam\xff\xfe\0X", 7));
    Add("Caf\xc3\xa9");
    EXPECT_EQ(List(),
              (QStringList{QString::fromUtf16(u"Cam\uFFFD\uFFFD\0X", 7), QString::fromUtf16(u"Caf\u00e9")}));
}

TEST_F(DeviceEnumerationTest, ListingEndsAtTheFirstUnreadableDevice) {
    for (const FaultPoint point :
         {FaultPoint::BindToStorage, FaultPoint::ReadProperty, FaultPoint::EnumNext}) {
        SCOPED_TRACE(static_cast<int>(point));
        FakeDeviceRegistry devices;
        devices.AddCamera("First");
        devices.AddCamera("Broken")->SetFault(point, E_ACCESSDENIED);
        devices.AddCamera("Third");
        HRESULT status = E_FAIL;
        EXPECT_EQ(List(&status), QStringList{"First"});
        EXPECT_EQ(status, S_OK);
    }
}

TEST_F(DeviceEnumerationTest, EnumeratorCreationFailureIsReturned) {
    Add("Camera");
    dshow::ScopedClassOverride broken(dshow::CLSID_SystemDeviceEnum,
                                      dshow::fake::FailingFactory(E_OUTOFMEMORY));
    HRESULT status = S_OK;
    EXPECT_TRUE(List(&status).isEmpty());
    EXPECT_EQ(status, E_OUTOFMEMORY);
    EXPECT_EQ(Find("#1").status, E_OUTOFMEMORY);
}

TEST_F(DeviceEnumerationTest, PositionTexts) {
    std::vector<std::shared_ptr<FakeCamera>> cameras;
    for (int i = 1; i <= 12; ++i)
        cameras.push_back(Add("Camera " + std::to_string(i)));

    struct Case {
        QString text;
        int device; // 1-based; 0 for no match
    };
    const Case cases[] = {
        {"", 1},     {" \t\r\n ", 1}, {"#1", 1},  {"#2", 2},  {"  #3\t", 3}, {"#9", 9},
        {"#10", 10}, {"#12", 12},     {"#01", 1}, {"#:", 10}, // ':' is 48 + 10
        {"#;", 11},  {"#13", 0},      {"#0", 0},  {"#00", 0}, {"#1x", 0},    {"#99999999999999999999", 0},
        {"# 1", 0},  {"#-1", 0},      {"1", 0},   {"#", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        std::vector<int> opensBefore;
        for (const auto& camera : cameras)
            opensBefore.push_back(camera->OpenCount());
        const Lookup found = Find(c.text);
        if (c.device == 0) {
            EXPECT_EQ(found.status, S_FALSE);
            EXPECT_FALSE(found.filter);
            EXPECT_TRUE(found.name.isEmpty());
            continue;
        }
        EXPECT_EQ(found.status, S_OK);
        EXPECT_TRUE(found.filter);
        EXPECT_EQ(found.name, QString("Camera %1").arg(c.device));
        for (std::size_t i = 0; i < cameras.size(); ++i)
            EXPECT_EQ(cameras[i]->OpenCount() - opensBefore[i], static_cast<int>(i) + 1 == c.device ? 1 : 0);
    }
}

TEST_F(DeviceEnumerationTest, NameTexts) {
    auto hash2 = Add("#2");
    auto usb = Add("USB Camera");
    auto blanks = Add(" \tPadded Cam  ");
    auto umlaut = Add("Kamera \xc3\x84");
    auto twin = Add("USB Camera");

    const Lookup byLowerCase = Find("  usb camera ");
    EXPECT_EQ(byLowerCase.status, S_OK);
    EXPECT_EQ(byLowerCase.name, "USB Camera");
    EXPECT_EQ(usb->OpenCount(), 1);
    EXPECT_EQ(twin->OpenCount(), 0); // the first of two equal names

    const Lookup nameBeforePosition = Find("#2");
    EXPECT_EQ(nameBeforePosition.status, S_OK);
    EXPECT_EQ(nameBeforePosition.name, "#2");
    EXPECT_EQ(hash2->OpenCount(), 1);

    const Lookup twinByPosition = Find("#5");
    EXPECT_EQ(twinByPosition.status, S_OK);
    EXPECT_EQ(twin->OpenCount(), 1);

    const Lookup padded = Find("padded cam");
    EXPECT_EQ(padded.status, S_OK);
    EXPECT_EQ(padded.name, "Padded Cam");

    // Only a to z are folded: a non-ASCII letter in another case is another name.
    EXPECT_EQ(Find(QString::fromUtf16(u"KAMERA \u00e4")).status, S_FALSE);
    EXPECT_EQ(umlaut->OpenCount(), 0);
    const Lookup exact = Find(QString::fromUtf16(u"kamera \u00c4"));
    EXPECT_EQ(exact.status, S_OK);
    EXPECT_EQ(umlaut->OpenCount(), 1);

    EXPECT_EQ(Find("USB Camera 2").status, S_FALSE);
}

TEST_F(DeviceEnumerationTest, MissingFilterOutputIsAPointerError) {
    Add("Camera");
    QString name = "stale";
    EXPECT_EQ(FindCaptureDevice("#1", name, nullptr), E_POINTER);
    EXPECT_TRUE(name.isEmpty());
}

TEST_F(DeviceEnumerationTest, AnUnreadableDeviceEndsTheLookupBeforeALaterMatch) {
    for (const FaultPoint point :
         {FaultPoint::BindToStorage, FaultPoint::ReadProperty, FaultPoint::EnumNext}) {
        SCOPED_TRACE(static_cast<int>(point));
        FakeDeviceRegistry devices;
        devices.AddCamera("First");
        devices.AddCamera("Broken")->SetFault(point, E_ACCESSDENIED);
        auto wanted = devices.AddCamera("Wanted");
        const Lookup found = Find("Wanted");
        EXPECT_EQ(found.status, E_ACCESSDENIED);
        EXPECT_FALSE(found.filter);
        EXPECT_EQ(wanted->OpenCount(), 0);
        EXPECT_EQ(Find("#1").status, S_OK); // devices before it are still found
    }
}

TEST_F(DeviceEnumerationTest, AMatchThatCannotBeBoundEndsTheLookupWithItsFailure) {
    auto first = Add("Twin");
    auto second = Add("Twin");
    first->SetOpenError(-EBUSY);
    const Lookup busy = Find("twin");
    EXPECT_LT(busy.status, 0);
    EXPECT_FALSE(busy.filter);
    EXPECT_EQ(busy.name, "Twin");
    EXPECT_EQ(second->OpenCount(), 0);

    first->SetOpenError(0);
    first->SetFault(FaultPoint::BindToObject, E_OUTOFMEMORY);
    EXPECT_EQ(Find("#1").status, E_OUTOFMEMORY);
    EXPECT_EQ(Find("#2").status, S_OK);
}

} // namespace
} // namespace kamsel::capture
