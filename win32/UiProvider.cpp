#include "velmar/win32/UiProvider.h"

#include <atomic>

namespace w32
{

namespace
{
std::atomic<IUiProvider*> g_provider{nullptr};
} // namespace

IUiProvider* InstallUiProvider(IUiProvider* provider)
{
    return g_provider.exchange(provider);
}

bool UninstallUiProvider(IUiProvider* provider)
{
    IUiProvider* expected = provider;
    return provider && g_provider.compare_exchange_strong(expected, nullptr);
}

IUiProvider* CurrentUiProvider()
{
    return g_provider.load();
}

} // namespace w32
