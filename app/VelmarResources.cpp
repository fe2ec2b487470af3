#include "app/VelmarResources.h"

#include "app/Resource.h"
#include "framework/Resources.h"

namespace {

const AFX_STRING_RESOURCE kStrings[] = {
    {IDR_MAINFRAME, L"Velmar"},
    // Window title, document name, file-new name, filter name, filter
    // extension, registry file type id and name.
    {IDR_XMLTYPE, L"\nXML\nXML\nXML Files (*.xml)\n.xml\nXML.Document\nXML.Document"},
};

const AFX_RESOURCE_TABLE kTable = {kStrings, AFX_COUNTOF(kStrings), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0};

} // namespace

void VelmarRegisterResources()
{
    static bool registered = false;
    if (registered)
        return;
    AfxRegisterResources(&kTable);
    registered = true;
}
