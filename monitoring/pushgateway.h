#pragma once

// Where a Prometheus Pushgateway keeps this machine's metrics: the group of job "corvanite"
// and instance <host name>, which each push replaces whole.
#include <string>

// base: the gateway as the user gives it ("http://gateway:9091"), with or without a trailing
// slash.
std::string PushgatewayGroupUrl(const std::string& base, const std::string& hostName);

// This machine's name; "localhost" when it has none.
std::string ThisHostName();
