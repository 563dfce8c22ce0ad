#include "poller/retired_models.hpp"

namespace poller {

bool RetiredModels::contains(std::string_view model) const {
    std::lock_guard<std::mutex> held(mutex_);
    return models_.find(model) != models_.end();
}

void RetiredModels::add(std::string_view model) {
    std::lock_guard<std::mutex> held(mutex_);
    models_.emplace(model);
}

RetiredModels& retired_models() {
    static RetiredModels* models = new RetiredModels();  // never destroyed: poll threads are detached
    return *models;
}

bool names_unknown_model(const HttpResponse& answer) {
    if (answer.status == 404) {
        return true;
    }
    if (answer.status != 400) {
        return false;
    }
    const auto document = answer.read_json();
    const auto* json = std::get_if<Json>(&document);
    if (json == nullptr || !json->is_object()) {
        return false;
    }
    const auto error = json->find("error");
    if (error == json->end() || !error->is_object()) {
        return false;
    }
    const auto type = error->find("type");
    return type != error->end() && type->is_string() &&
           type->get_ref<const std::string&>() == "not_found_error";
}

}  // namespace poller
