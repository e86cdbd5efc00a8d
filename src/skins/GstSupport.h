#pragma once

#include "SkinError.h"

#include <QString>
#include <gst/gst.h>
#include <memory>
#include <optional>

// Small helpers shared by the pipelines of the video processor and the skin generator.
namespace GstSupport {
// Initialises GStreamer once per process; the error says why it could not.
std::optional<SkinError> ensureInitialized();

// A GStreamer error as it came: its domain's name, its code and its message.
SkinError errorFromGError(const GError* error);

// Our own failures, with a GStreamer-side domain, for things the pipeline set-up detects.
SkinError pipelineError(int code, const QString& description);

struct ObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            gst_object_unref(object);
    }
};
template <typename T> using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct MiniObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            gst_mini_object_unref(GST_MINI_OBJECT_CAST(object));
    }
};
template <typename T> using MiniObjectPtr = std::unique_ptr<T, MiniObjectUnref>;

// Makes an element and adds it to the bin; nullptr when the plugin is not installed.
GstElement* addElement(GstBin* bin, const char* factory, const char* name = nullptr);

// The media type of a pad's caps, such as "video/x-raw"; empty when it has none yet.
QString padMediaType(GstPad* pad);

// Links a stream nobody needs to a fakesink so that it neither blocks nor stops the others.
// Safe to call from a streaming thread while the pipeline runs.
bool discardPad(GstBin* bin, GstPad* pad);
} // namespace GstSupport
