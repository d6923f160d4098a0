#pragma once
class Item;
