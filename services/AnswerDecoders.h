#pragma once

#include <memory>
#include <string>

#include "model/WireModelArray.h"
#include "services/OfficeCall.h"
#include "services/OfficeQuery.h"

namespace busdesk {

class DisplanDetailInfoArray;
class EmployeMonthSalary;
class FinishDisplanInfoArray;
class NosendDisplanList;

// The list record and row kind of a list field (&NormalList::List → NormalList, NormalInfo).
template <class>
struct ListField;
template <class ListModel, class Element>
struct ListField<WireModelArray<Element> ListModel::*> {
    using List = ListModel;
    using Row = Element;
};

// How each shape of office answer becomes its model. Every decoder is pure: it reads only the
// answer, so an answer kept earlier gives the same model as when it arrived.
namespace AnswerDecoders {

// A JSON array: a fresh list record whose `Rows` field holds the rows, kept in the answer's parsed
// document and mapped when read (a row that does not map leaves the whole list empty). Anything
// else cannot be used.
template <auto Rows>
Decoded<std::shared_ptr<typename ListField<decltype(Rows)>::List>> rows(const Answer& answer) {
    using List = typename ListField<decltype(Rows)>::List;
    using Row = typename ListField<decltype(Rows)>::Row;
    const auto& json = answer.object->json;
    if (!json || !json->is_array())
        return OfficeCall::makeError(OfficeServiceErrorCode::UnexpectedAnswerKind,
                                     "The answer is not a JSON array.");
    auto list = List::init();
    (*list).*Rows = OfficeCall::sharedRows<Row>(
        std::shared_ptr<const boost::json::array>(answer.object, &answer.object->json->get_array()));
    return list;
}

// The day's plan: its totals and trips; an array answer is the office's "no plan" (nullptr).
Decoded<std::shared_ptr<DisplanDetailInfoArray>> dayPlan(const Answer& answer);
// Tomorrow's trips not yet dispatched, under "List"; an array answer gives nullptr.
Decoded<std::shared_ptr<NosendDisplanList>> undispatchedTrips(const Answer& answer);
// The completed trips of a day with their totals.
Decoded<std::shared_ptr<FinishDisplanInfoArray>> completedTrips(const Answer& answer);
// A month's statement: nullptr for anything but a non-empty array whose every line maps.
Decoded<std::shared_ptr<EmployeMonthSalary>> salaryStatement(const Answer& answer);
// The company picture's address: the answer text cleaned of its decoration characters.
Decoded<std::string> logoAddress(const Answer& answer);

// Removes the 24 decoration characters from the logo answer.
std::string cleanLogoText(const std::string& text);

}  // namespace AnswerDecoders

// A query whose answer is the rows of the list field `Rows`.
template <auto Rows>
OfficeQuery<std::shared_ptr<typename ListField<decltype(Rows)>::List>> listQuery(QueryRequest request) {
    return makeQuery<std::shared_ptr<typename ListField<decltype(Rows)>::List>>(std::move(request),
                                                                                &AnswerDecoders::rows<Rows>);
}

}  // namespace busdesk
