#include "PropertyFrame.h"

#include "ComApi.h"
#include "DeviceControlInterfaces.h"
#include "DeviceControlsPage.h"
#include "StreamFormatPage.h"
#include "Uuids.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace kamsel::dshow {

namespace {

// The test hook in force, if any (see ScopedPropertyFrameHook).
ScopedPropertyFrameHook::Hook& FrameHook() {
    static ScopedPropertyFrameHook::Hook hook;
    return hook;
}

// A page of class page for object, or the reason there is none.
HRESULT CreatePage(const CLSID& page, IUnknown& object, std::unique_ptr<PropertyPage>& created) {
    if (page == CLSID_DeviceControlsPropertyPage) {
        com::ComPtr<IDeviceControls> device;
        if (const HRESULT hr = object.QueryInterface(IID_IDeviceControls, device.ReleaseAndGetVoidAddress());
            FAILED(hr))
            return hr;
        std::vector<media::DeviceControl> controls;
        if (const HRESULT hr = device->GetControls(&controls); FAILED(hr))
            return hr;
        created = std::make_unique<DeviceControlsPage>(device, controls);
        return S_OK;
    }
    if (page == CLSID_VideoStreamConfigPropertyPage) {
        com::ComPtr<IAMStreamConfig> config;
        if (const HRESULT hr = object.QueryInterface(IID_IAMStreamConfig, config.ReleaseAndGetVoidAddress());
            FAILED(hr))
            return hr;
        created = std::make_unique<StreamFormatPage>(config);
        return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
}

QString PageTitle(const CLSID& page) {
    return page == CLSID_DeviceControlsPropertyPage ? QObject::tr("Device") : QObject::tr("Stream Format");
}

void ApplyAll(const std::vector<PropertyPage*>& pages) {
    for (PropertyPage* page : pages)
        page->Apply();
}

} // namespace

HRESULT OleCreatePropertyFrame(HWND owner, UINT, UINT, LPCOLESTR caption, ULONG objectCount,
                               IUnknown** objects, ULONG pageCount, const CLSID* pages, LCID, DWORD, void*) {
    if (!objects || !pages)
        return E_POINTER;
    if (objectCount == 0 || pageCount == 0 || !objects[0])
        return E_INVALIDARG;
    // Every page is made before anything is shown, so a page that cannot be
    // made shows nothing.
    std::vector<std::unique_ptr<PropertyPage>> made;
    for (ULONG i = 0; i < pageCount; ++i) {
        std::unique_ptr<PropertyPage> page;
        if (const HRESULT hr = CreatePage(pages[i], *objects[0], page); FAILED(hr))
            return hr;
        made.push_back(std::move(page));
    }

    QDialog dialog(owner.Widget());
    dialog.setWindowTitle(caption ? QString::fromUtf16(caption) : QString());
    auto* tabs = new QTabWidget(&dialog);
    std::vector<PropertyPage*> shown;
    for (ULONG i = 0; i < pageCount; ++i) {
        shown.push_back(made[i].get());
        tabs->addTab(made[i].release(), PageTitle(pages[i]));
    }
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        ApplyAll(shown);
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, &dialog,
                     [&] { ApplyAll(shown); });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    if (const ScopedPropertyFrameHook::Hook& hook = FrameHook())
        hook(dialog);
    dialog.exec();
    return S_OK;
}

ScopedPropertyFrameHook::ScopedPropertyFrameHook(Hook hook)
    : previous_(std::exchange(FrameHook(), std::move(hook))) {}

ScopedPropertyFrameHook::~ScopedPropertyFrameHook() {
    FrameHook() = std::move(previous_);
}

} // namespace kamsel::dshow
