; Test data: a small 12C508 program with ID words, which the 12-bit chips keep at 0x200-0x203,
; beyond the 12C508's memory.
; Assemble: gpasm ids508.asm
        list    p=12c508
        #include <p12c508.inc>
        __config _MCLRE_OFF & _CP_ON & _WDT_OFF & _IntRC_OSC    ; 0x0FE2
        __idlocs 0x5678

        org     0x000
        goto    $
        end
