#include "printer/cupslibrary.h"

#include <dlfcn.h>

namespace
{

// The library's soname, as its package installs it.
constexpr const char* kLibraryName = "libcups.so.2";

void* library()
{
    // Loaded once, by whichever thread asks first, and kept for the whole run (Qt's own print
    // plug-in uses the same copy once it is loaded).
    static void* const handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

// The library's function `name`, of the type `F` its header declares; null without the library.
template <typename F> F* resolve(const char* name)
{
    void* handle = library();
    return handle ? reinterpret_cast<F*>(dlsym(handle, name)) : nullptr;
}

} // namespace

namespace cupslib
{

cups_dest_t* cupsGetNamedDest(http_t* http, const char* name, const char* instance)
{
    static const auto f = resolve<decltype(::cupsGetNamedDest)>("cupsGetNamedDest");
    return f ? f(http, name, instance) : nullptr;
}

void cupsFreeDests(int num_dests, cups_dest_t* dests)
{
    static const auto f = resolve<decltype(::cupsFreeDests)>("cupsFreeDests");
    if (f)
        f(num_dests, dests);
}

const char* cupsGetOption(const char* name, int num_options, cups_option_t* options)
{
    static const auto f = resolve<decltype(::cupsGetOption)>("cupsGetOption");
    return f ? f(name, num_options, options) : nullptr;
}

int cupsAddOption(const char* name, const char* value, int num_options, cups_option_t** options)
{
    static const auto f = resolve<decltype(::cupsAddOption)>("cupsAddOption");
    return f ? f(name, value, num_options, options) : num_options;
}

void cupsFreeOptions(int num_options, cups_option_t* options)
{
    static const auto f = resolve<decltype(::cupsFreeOptions)>("cupsFreeOptions");
    if (f)
        f(num_options, options);
}

int cupsPrintFile2(http_t* http, const char* name, const char* filename, const char* title,
                   int num_options, cups_option_t* options)
{
    static const auto f = resolve<decltype(::cupsPrintFile2)>("cupsPrintFile2");
    return f ? f(http, name, filename, title, num_options, options) : 0;
}

const char* cupsLastErrorString()
{
    static const auto f = resolve<decltype(::cupsLastErrorString)>("cupsLastErrorString");
    if (!f)
        return "la bibliothèque d'impression libcups.so.2 est introuvable";
    return f();
}

ipp_t* ippNewRequest(ipp_op_t op)
{
    static const auto f = resolve<decltype(::ippNewRequest)>("ippNewRequest");
    return f ? f(op) : nullptr;
}

ipp_attribute_t* ippAddString(ipp_t* ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name,
                              const char* language, const char* value)
{
    static const auto f = resolve<decltype(::ippAddString)>("ippAddString");
    return f ? f(ipp, group, value_tag, name, language, value) : nullptr;
}

ipp_t* cupsDoRequest(http_t* http, ipp_t* request, const char* resource)
{
    static const auto f = resolve<decltype(::cupsDoRequest)>("cupsDoRequest");
    return f ? f(http, request, resource) : nullptr;
}

ipp_attribute_t* ippFindAttribute(ipp_t* ipp, const char* name, ipp_tag_t type)
{
    static const auto f = resolve<decltype(::ippFindAttribute)>("ippFindAttribute");
    return f ? f(ipp, name, type) : nullptr;
}

const char* ippGetString(ipp_attribute_t* attr, int element, const char** language)
{
    static const auto f = resolve<decltype(::ippGetString)>("ippGetString");
    return f ? f(attr, element, language) : nullptr;
}

void ippDelete(ipp_t* ipp)
{
    static const auto f = resolve<decltype(::ippDelete)>("ippDelete");
    if (f)
        f(ipp);
}

pwg_media_t* pwgMediaForPWG(const char* pwg)
{
    static const auto f = resolve<decltype(::pwgMediaForPWG)>("pwgMediaForPWG");
    return f ? f(pwg) : nullptr;
}

pwg_media_t* pwgMediaForLegacy(const char* legacy)
{
    static const auto f = resolve<decltype(::pwgMediaForLegacy)>("pwgMediaForLegacy");
    return f ? f(legacy) : nullptr;
}

pwg_media_t* pwgMediaForPPD(const char* ppd)
{
    static const auto f = resolve<decltype(::pwgMediaForPPD)>("pwgMediaForPPD");
    return f ? f(ppd) : nullptr;
}

pwg_media_t* pwgMediaForSize(int width, int length)
{
    static const auto f = resolve<decltype(::pwgMediaForSize)>("pwgMediaForSize");
    return f ? f(width, length) : nullptr;
}

} // namespace cupslib
