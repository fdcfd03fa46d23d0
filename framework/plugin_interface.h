#pragma once
// The plug-in interface: what passes between the program (the host) and a plug-in library.
//
// A plug-in exports one C entry, REALPluginMain, which the host calls with its resolver: a
// routine that answers a host routine by name, or null. Through those routines the plug-in
// registers its control classes (a record with its methods, events and behaviour) and its
// global methods; the host binds its own controls to the registered methods by declaration
// string and delivers the plug-in's events to the handlers each control instance has bound.
//
// The header is plain C++ with C-compatible types and no dependency beyond the standard library:
// the plug-in includes it as well, and the program never links the plug-in.
#include <cstdint>

extern "C" {

// ---- Opaque objects of the host ----------------------------------------------------------------

// A host string: bytes with an encoding mark. Strings the host hands to a plug-in routine stay
// the host's for the duration of the call; a string a plug-in routine answers becomes the host's.
struct PluginString;
// A host array of strings, the host's for the duration of the call.
struct PluginStringArray;
// One instance of a plug-in control class. Its instance data lies at the offset that the host
// writes into the class record's dataOffset field when the class is registered.
struct PluginInstance;

// ---- Records ----------------------------------------------------------------------------------
// The records keep the order of fields the interface defines, each a 32-bit word; a field that
// holds a pointer (a name, a list, a routine, a place) is pointer-sized instead, since a 32-bit
// word cannot hold a pointer on a 64-bit system. Unused fields are zero.

typedef void (*PluginRoutine)(void);

// One method of a control class, or a global method.
struct PluginMethodRecord {
    PluginRoutine function;   // the entry point; it takes the instance first, then the declared arguments
    std::intptr_t flags;      // 0
    const char* declaration;  // e.g. "Browsing_Count() as integer"
    std::intptr_t reserved;   // 0
};

// One event of a control class. The record's address identifies the event to GetEventInstance.
struct PluginEventRecord {
    const char* declaration;  // e.g. "Browsing_Found(i as integer)"
    std::intptr_t forHost;    // the host's
};

struct PluginBehaviourRecord {
    void (*constructor)(PluginInstance*);
    void (*destructor)(PluginInstance*);
    void (*redraw)(PluginInstance*);
    PluginRoutine unused[13];  // the routines the interface defines besides these three: absent
};

struct PluginControlRecord {
    std::int32_t version;                    // the interface version, 9
    const char* name;                        // the class name
    std::int32_t dataSize;                   // bytes of instance data
    std::int32_t flags;                      // passed as they are
    std::int32_t pictureId;                  // the class's pictures (the host shows none)
    std::int32_t pressedPictureId;
    std::int32_t width;                      // default size
    std::int32_t height;
    const void* properties;                  // none
    std::int32_t propertyCount;
    const PluginMethodRecord* methods;
    std::int32_t methodCount;
    const PluginEventRecord* events;
    std::int32_t eventCount;
    const PluginBehaviourRecord* behaviour;
    std::intptr_t dataOffset;                // written by the host: where instance data lies in an instance
    std::intptr_t reserved[4];
};

struct PluginRect {
    std::int32_t left, top, right, bottom;
};

// ---- The entry and the resolver ---------------------------------------------------------------

typedef void* (*PluginResolver)(const char* routineName);
typedef void (*PluginMainFn)(PluginResolver resolver);
#define QUORRIL_PLUGIN_ENTRY "REALPluginMain"
#define QUORRIL_PLUGIN_VERSION 9

// ---- Host routines, by the name the resolver answers them under -------------------------------

// "RegisterPluginVersion"
typedef void (*PluginRegisterVersionFn)(std::int32_t version);
// "PluginRegisterControl"
typedef void (*PluginRegisterControlFn)(PluginControlRecord* record);
// "PluginRegisterMethod"
typedef void (*PluginRegisterMethodFn)(const PluginMethodRecord* record);
// "RuntimeMsgBox": shows the text in a message box and returns when the user has closed it.
typedef void (*PluginMsgBoxFn)(PluginString* text);
// "GetEventInstance": the handler the program bound to that event of that instance, or null.
// The handler takes the instance, then the event's arguments.
typedef PluginRoutine (*PluginGetEventInstanceFn)(PluginInstance* instance, const PluginEventRecord* event);
// "GetControlBounds"
typedef void (*PluginGetControlBoundsFn)(PluginInstance* instance, PluginRect* bounds);
// "RuntimeUBound": the upper bound of an array (-1 when it is empty).
typedef std::int32_t (*PluginUBoundFn)(PluginStringArray* array);
// "RuntimeDirectReadStringArray": element i of an array, the host's (null outside the array).
typedef PluginString* (*PluginReadStringArrayFn)(PluginStringArray* array, std::int32_t i);
// "RuntimeGetKeys": the keyboard map, 128 key states, key k at bit (k mod 8) of byte (k div 8).
typedef void (*PluginGetKeysFn)(unsigned char map[16]);

// "StringFromBytes": a new string holding a copy of the bytes, not marked with an encoding.
typedef PluginString* (*PluginStringFromBytesFn)(const char* bytes, std::int32_t length);
// "StringSetEncoding": marks a string's bytes as text of that encoding.
typedef void (*PluginStringSetEncodingFn)(PluginString* s, std::uint32_t encoding);
#define QUORRIL_PLUGIN_ENCODING_UTF8 1u
// "StringBytes": a string's bytes and their number (null string: null, 0).
typedef const char* (*PluginStringBytesFn)(PluginString* s, std::int32_t* length);
// "StringRelease": gives back a string the plug-in made and did not hand to the host.
typedef void (*PluginStringReleaseFn)(PluginString* s);

// The host's event loop, for a plug-in that waits on a descriptor. Callbacks come on the main
// thread, from the event loop; once a watch is freed its callback never comes again, also when it
// is freed from inside that callback.
typedef void (*PluginWatchCallback)(void* user, int fd, int revents);
// "RuntimeWatchSocket": watches fd for reading (POLLIN among the poll(2) events given; the host
// watches for nothing else).
typedef void* (*PluginWatchSocketFn)(int fd, int events, PluginWatchCallback callback, void* user);
// "RuntimeWatchSocketFree"
typedef void (*PluginWatchSocketFreeFn)(void* watch);

}  // extern "C"
