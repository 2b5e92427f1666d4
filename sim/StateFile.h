#pragma once

#include <QString>

class ElevatorModel;
class DoorModel;

// What survives a restart of the simulator: the parameters of both
// controllers, the identity, lock-out periods and IC cards, as JSON.
namespace statefile {

bool save(const QString& path, const ElevatorModel& elevator, const DoorModel& door);
// Loads what the file holds; the elevator part only when it was written by
// the same model. False when there is no readable file.
bool load(const QString& path, ElevatorModel& elevator, DoorModel& door);

} // namespace statefile
