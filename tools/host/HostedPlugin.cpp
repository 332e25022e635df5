#include "HostedPlugin.h"

#include <pluginterfaces/base/ipluginbase.h>

#include <dlfcn.h>

namespace VastrelHost
{
namespace
{
    /** Keeps the module loaded for as long as a caller looks into it. */
    struct ModuleHandle
    {
        explicit ModuleHandle (const juce::File& binary)
            : handle (dlopen (binary.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL)) {}

        ~ModuleHandle()
        {
            if (handle != nullptr)
                dlclose (handle);
        }

        void* find (const char* name) const   { return handle != nullptr ? dlsym (handle, name) : nullptr; }

        void* handle;

        JUCE_DECLARE_NON_COPYABLE (ModuleHandle)
    };

    template <typename Interface>
    struct ReleasingPointer
    {
        explicit ReleasingPointer (Interface* p) : ptr (p) {}
        ~ReleasingPointer()   { if (ptr != nullptr) ptr->release(); }

        Interface* ptr;

        JUCE_DECLARE_NON_COPYABLE (ReleasingPointer)
    };

    juce::String fromChars (const char* text, size_t maxLength)
    {
        return juce::String::fromUTF8 (text, (int) strnlen (text, maxLength));
    }
}

juce::File builtBundle()
{
    return juce::File (VASTREL_VST3_BUNDLE);
}

juce::File moduleBinary (const juce::File& bundle)
{
   #if defined (__aarch64__)
    const char* architecture = "aarch64-linux";
   #else
    const char* architecture = "x86_64-linux";
   #endif

    return bundle.getChildFile ("Contents")
                 .getChildFile (architecture)
                 .getChildFile (bundle.getFileNameWithoutExtension() + ".so");
}

LoadResult loadPlugin (const juce::File& bundle, double sampleRate, int blockSize)
{
    LoadResult result;
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;

    format.findAllTypesForFile (types, bundle.getFullPathName());

    if (types.isEmpty())
    {
        result.error = "no plug-in found in " + bundle.getFullPathName();
        return result;
    }

    result.description = *types.getFirst();
    result.instance = format.createInstanceFromDescription (result.description, sampleRate, blockSize, result.error);
    return result;
}

FactoryInfo readFactory (const juce::File& bundle)
{
    FactoryInfo info;
    ModuleHandle module (moduleBinary (bundle));

    using EntryFunction = bool (*) (void*);
    using FactoryFunction = Steinberg::IPluginFactory* (PLUGIN_API*)();

    auto* entry = reinterpret_cast<EntryFunction> (module.find ("ModuleEntry"));
    auto* exit = reinterpret_cast<bool (*)()> (module.find ("ModuleExit"));
    auto* getFactory = reinterpret_cast<FactoryFunction> (module.find ("GetPluginFactory"));

    if (entry == nullptr || exit == nullptr || getFactory == nullptr)
    {
        info.error = "module entry points missing";
        return info;
    }

    if (! entry (module.handle))
    {
        info.error = "ModuleEntry failed";
        return info;
    }

    {
        ReleasingPointer<Steinberg::IPluginFactory> factory (getFactory());

        if (factory.ptr == nullptr)
        {
            info.error = "GetPluginFactory returned null";
        }
        else
        {
            Steinberg::PFactoryInfo factoryInfo;

            if (factory.ptr->getFactoryInfo (&factoryInfo) == Steinberg::kResultOk)
                info.vendor = fromChars (factoryInfo.vendor, Steinberg::PFactoryInfo::kNameSize);

            Steinberg::IPluginFactory2* factory2Raw = nullptr;
            factory.ptr->queryInterface (Steinberg::IPluginFactory2_iid, reinterpret_cast<void**> (&factory2Raw));
            ReleasingPointer<Steinberg::IPluginFactory2> factory2 (factory2Raw);

            for (Steinberg::int32 i = 0; i < factory.ptr->countClasses(); ++i)
            {
                FactoryClass entryInfo;
                Steinberg::PClassInfo classInfo;

                if (factory.ptr->getClassInfo (i, &classInfo) != Steinberg::kResultOk)
                    continue;

                std::memcpy (entryInfo.classId.data(), classInfo.cid, entryInfo.classId.size());
                entryInfo.category = fromChars (classInfo.category, Steinberg::PClassInfo::kCategorySize);
                entryInfo.name = fromChars (classInfo.name, Steinberg::PClassInfo::kNameSize);

                Steinberg::PClassInfo2 classInfo2;

                if (factory2.ptr != nullptr && factory2.ptr->getClassInfo2 (i, &classInfo2) == Steinberg::kResultOk)
                {
                    entryInfo.subCategories = fromChars (classInfo2.subCategories, Steinberg::PClassInfo2::kSubCategoriesSize);
                    entryInfo.vendor = fromChars (classInfo2.vendor, Steinberg::PClassInfo2::kVendorSize);
                    entryInfo.version = fromChars (classInfo2.version, Steinberg::PClassInfo2::kVersionSize);
                }

                info.classes.push_back (entryInfo);
            }
        }
    }

    exit();
    return info;
}

bool moduleExports (const juce::File& bundle, const char* symbolName)
{
    ModuleHandle module (moduleBinary (bundle));
    return module.find (symbolName) != nullptr;
}
}
