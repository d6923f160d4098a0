#pragma once

#include <boost/json/array.hpp>
#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One suggestion with its answer; Imagenames holds the picture addresses as texts.
class SuggestInfo : public WireModelBase<SuggestInfo> {
    BUSDESK_WIRE_MODEL(SuggestInfo)
    std::optional<std::string> AnsContent;
    std::optional<std::string> AnsTime;
    std::optional<std::string> Empid;
    std::optional<std::string> ID;
    boost::json::array Imagenames;
    std::optional<std::string> ParentID;
    std::optional<std::string> QueTime;
    std::optional<std::string> Content;
    std::optional<std::string> Type;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<SuggestInfo>& d) {
        WIRE_PROPERTY(d, AnsContent);
        WIRE_PROPERTY(d, AnsTime);
        WIRE_PROPERTY(d, Empid);
        WIRE_PROPERTY(d, ID);
        WIRE_PROPERTY(d, Imagenames);
        WIRE_PROPERTY(d, ParentID);
        WIRE_PROPERTY(d, QueTime);
        WIRE_PROPERTY(d, Content);
        WIRE_PROPERTY(d, Type);
    }
};

}  // namespace busdesk
